#include "tools/render/TempoMap.h"

#include <cmath>

namespace render {

namespace {

constexpr std::uint32_t kDefaultMicrosecondsPerQuarter = 500000;  // 120 beats per minute
// Keeps a position that is a whole bar in exact arithmetic from landing in the bar before.
constexpr double kBarTolerance = 1e-9;

}  // namespace

TempoMap::TempoMap(const MidiFile& file) : ticksPerQuarter_(file.ticksPerQuarter) {
  auto segmentFor = [&](double tick, double seconds, std::uint32_t micros) {
    return TempoSegment{tick, seconds, micros / 1e6 / ticksPerQuarter_, 60e6 / micros};
  };
  segments_.push_back(segmentFor(0, 0, kDefaultMicrosecondsPerQuarter));
  for (const TempoChange& change : file.tempoChanges) {
    const double tick = static_cast<double>(change.tick);
    if (tick == 0) {
      segments_[0] = segmentFor(0, 0, change.microsecondsPerQuarter);
      continue;
    }
    const TempoSegment& last = segments_.back();
    const double seconds = last.startSeconds + (tick - last.startTick) * last.secondsPerTick;
    segments_.push_back(segmentFor(tick, seconds, change.microsecondsPerQuarter));
  }

  meters_.push_back(Meter{0, 4, TimeSignatureChange{0, 4, 4}});
  for (const TimeSignatureChange& change : file.timeSignatureChanges) {
    const double quarter = change.tick / ticksPerQuarter_;
    const Meter meter{quarter, change.numerator * 4.0 / change.denominator, change};
    if (change.tick == 0)
      meters_[0] = meter;
    else
      meters_.push_back(meter);
  }
}

const TempoMap::TempoSegment& TempoMap::SegmentAtSeconds(double seconds) const {
  std::size_t i = segments_.size() - 1;
  while (i > 0 && segments_[i].startSeconds > seconds) --i;
  return segments_[i];
}

const TempoMap::Meter& TempoMap::MeterAt(double quarter) const {
  std::size_t i = meters_.size() - 1;
  while (i > 0 && meters_[i].startQuarter > quarter + kBarTolerance) --i;
  return meters_[i];
}

double TempoMap::SecondsAt(std::uint64_t tick) const {
  const double t = static_cast<double>(tick);
  std::size_t i = segments_.size() - 1;
  while (i > 0 && segments_[i].startTick > t) --i;
  const TempoSegment& segment = segments_[i];
  return segment.startSeconds + (t - segment.startTick) * segment.secondsPerTick;
}

double TempoMap::QuarterAtSeconds(double seconds) const {
  const TempoSegment& segment = SegmentAtSeconds(seconds);
  const double tick = segment.startTick + (seconds - segment.startSeconds) / segment.secondsPerTick;
  return tick / ticksPerQuarter_;
}

double TempoMap::TempoAtSeconds(double seconds) const { return SegmentAtSeconds(seconds).beatsPerMinute; }

double TempoMap::BarStartAt(double quarter) const {
  const Meter& meter = MeterAt(quarter);
  const double bars = std::floor((quarter - meter.startQuarter) / meter.barQuarters + kBarTolerance);
  return meter.startQuarter + bars * meter.barQuarters;
}

TimeSignatureChange TempoMap::TimeSignatureAt(double quarter) const { return MeterAt(quarter).signature; }

}  // namespace render
