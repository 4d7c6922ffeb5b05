// Musical time of a MIDI file in seconds: where its ticks fall, which tempo
// and time signature hold at a moment, and where the current bar began.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/render/MidiFile.h"

namespace render {

class TempoMap {
 public:
  explicit TempoMap(const MidiFile& file);

  double SecondsAt(std::uint64_t tick) const;
  double QuarterAtSeconds(double seconds) const;  // quarter notes since the start
  double TempoAtSeconds(double seconds) const;    // beats per minute

  // Bars begin at the first time signature (4/4 until one is given) and at
  // every change; the result is in quarter notes.
  double BarStartAt(double quarter) const;
  TimeSignatureChange TimeSignatureAt(double quarter) const;

 private:
  struct TempoSegment {
    double startTick;
    double startSeconds;
    double secondsPerTick;
    double beatsPerMinute;
  };
  struct Meter {
    double startQuarter;
    double barQuarters;
    TimeSignatureChange signature;
  };
  const TempoSegment& SegmentAtSeconds(double seconds) const;
  const Meter& MeterAt(double quarter) const;

  double ticksPerQuarter_;
  std::vector<TempoSegment> segments_;
  std::vector<Meter> meters_;
};

}  // namespace render
