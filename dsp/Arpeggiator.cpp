#include "dsp/Arpeggiator.h"

#include <cmath>

#include "dsp/KeyAssign.h"
#include "dsp/ModGenerator.h"

namespace dsp {

namespace {

constexpr std::int32_t kOctave = 12;
constexpr double kLargestTickCount = 2147483647.0;

// "Poly" spreads the steps over the oscillators as "RndRobin" does.
std::int32_t AssignModeOf(std::int32_t keyAssignMode) { return keyAssignMode == kPoly ? kRoundRobin : keyAssignMode; }

std::int32_t TicksOf(double ticks) {
  if (!(ticks > -kLargestTickCount)) return -2147483647;
  if (!(ticks < kLargestTickCount)) return 2147483647;
  return std::int32_t(ticks);
}

}  // namespace

void ArpStep(Instrument& in, const HeldKeys& held) {
  Arpeggiator& arp = in.arp;
  const std::int32_t n = held.count < kHeldKeySlots ? held.count : kHeldKeySlots;
  if (n <= 0) return;
  if (arp.position < 0 || arp.position >= n) arp.position = 0;
  const std::int32_t octaves = arp.octaves > 0 ? arp.octaves : 1;
  std::int32_t o = arp.octave % octaves;
  if (o < 0) o += octaves;
  const std::int32_t key = arp.downward ? held.keys[n - arp.position - 1] + (octaves - o - 1) * kOctave
                                        : held.keys[arp.position] + o * kOctave;
  ++arp.position;
  if (arp.position >= n) {
    arp.octave = (o + 1) % octaves;
    if (arp.mode == kArpUpDown && arp.octave == 0) arp.downward = !arp.downward;
  }
  AssignKey(in, key, AssignModeOf(in.keys.mode));
}

void ArpClockTick(Instrument& in, const HeldKeys& held) {
  Arpeggiator& arp = in.arp;
  if (!arp.active) return;
  if (arp.clockedByMg2) {
    if (!arp.previousFirstHalf && in.mg2.firstHalf) ArpStep(in, held);
    arp.previousFirstHalf = in.mg2.firstHalf;
    return;
  }
  if (--arp.countdown < 0) {
    ArpStep(in, held);
    arp.stepLight = !arp.stepLight;
    // Counting down to -1 takes one tick more than the count: the next step
    // so comes exactly stepTicks ticks later.
    arp.countdown = arp.stepTicks - 1;
  }
}

void RestartArpeggio(Instrument& in, HeldKeys& held) {
  Arpeggiator& arp = in.arp;
  if (arp.clockedByMg2) {
    arp.previousFirstHalf = false;
    ResetModGenerator(in.mg2);
  } else {
    arp.countdown = 0;
  }
  held.Clear();
  arp.position = 0;
  arp.octave = 0;
  in.keys.roundRobin = 0;
}

std::int32_t StepTicksAt(double stepBeats, double tempo) {
  const double milliseconds = stepBeats * 60000.0 / tempo;
  const std::int32_t ticks = TicksOf(std::floor(milliseconds + 0.5));
  return ticks > 0 ? ticks : 1;
}

void ArpTempoSync(Arpeggiator& arp, double tempo, double songPosition, double sampleRate, const TickGrid& grid) {
  if (!(tempo > 0.0) || !(arp.stepBeats > 0.0)) return;
  arp.stepTicks = StepTicksAt(arp.stepBeats, tempo);
  if (songPosition == arp.lastSongPosition) return;
  arp.lastSongPosition = songPosition;
  if (!(songPosition >= 0.0) || !std::isfinite(songPosition) || !(sampleRate > 0.0)) return;

  const double tick = grid.length > 0 ? grid.length : 1;
  const double stepSamples = arp.stepBeats * 60.0 / tempo * sampleRate;
  if (!(stepSamples > 0.0) || !std::isfinite(stepSamples)) return;
  const double steps = songPosition * arp.stepReciprocal;
  const double toBoundary = (1.0 - (steps - std::floor(steps))) * stepSamples;
  // Sample positions from the block's first sample: the tick the countdown
  // points at, and the host's boundary nearest to it.
  const double firstTick = grid.remaining > 0 ? grid.remaining : 0;
  const double counted = firstTick + double(arp.countdown) * tick;
  const double boundary = toBoundary + std::round((counted - toBoundary) / stepSamples) * stepSamples;
  const std::int32_t target = TicksOf(std::round((boundary - firstTick) / tick));
  // A boundary whose tick has passed unplayed is played at the next tick.
  arp.countdown = target > 0 ? target : 0;
}

}  // namespace dsp
