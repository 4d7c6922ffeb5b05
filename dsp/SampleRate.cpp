#include "dsp/SampleRate.h"

#include <cmath>

#include "dsp/DspConstants.h"
#include "dsp/SharedPitchTables.h"
#include "dsp/TickGrid.h"

namespace dsp {

bool IsUsableSampleRate(double rate) {
  return std::isfinite(rate) && rate >= kLowestSampleRate && rate <= kHighestSampleRate;
}

double ChooseSampleRate(double current, double requested) {
  if (IsUsableSampleRate(requested)) return requested;
  if (IsUsableSampleRate(current)) return current;
  return kDefaultSampleRate;
}

std::int32_t ControlTickLength(double sampleRate) { return TickLengthOf(sampleRate); }

bool FollowSampleRate(SampleClock& clock, double hostRate, Envelope& eg1, Envelope& eg2) {
  const double rate = ChooseSampleRate(clock.sampleRate, hostRate);
  if (rate == clock.sampleRate) {
    clock.controlTickLength = ControlTickLength(rate);
    return false;
  }
  const PitchTables* tables = AcquirePitchTables(rate);
  if (tables == nullptr) {
    clock.controlTickLength = ControlTickLength(clock.sampleRate > 0.0 ? clock.sampleRate : kDefaultSampleRate);
    return false;
  }
  ReleasePitchTables(clock.tables);
  clock.tables = tables;
  clock.sampleRate = rate;
  clock.controlTickLength = ControlTickLength(rate);
  ResetEnvelopeForRate(eg1, rate);
  ResetEnvelopeForRate(eg2, rate);
  return true;
}

bool TakeStartupTables(SampleClock& clock) {
  const PitchTables* tables = AcquirePitchTables(kDefaultSampleRate);
  if (tables == nullptr) return false;
  ReleasePitchTables(clock.tables);
  clock.tables = tables;
  clock.controlTickLength = ControlTickLength(kDefaultSampleRate);
  return true;
}

void DropTables(SampleClock& clock) {
  ReleasePitchTables(clock.tables);
  clock.tables = nullptr;
}

}  // namespace dsp
