#include "engine/SampleRate.h"

#include <cmath>

#include "engine/DspConstants.h"
#include "engine/PitchTables.h"

bool IsUsableSampleRate(double rate) {
  return std::isfinite(rate) && rate >= kLowestSampleRate && rate <= kHighestSampleRate;
}

double ChooseSampleRate(double current, double requested) {
  if (IsUsableSampleRate(requested)) return requested;
  if (IsUsableSampleRate(current)) return current;
  return kDefaultSampleRate;
}

std::int32_t ControlTickLength(double sampleRate) {
  if (!(sampleRate >= kControlTicksPerSecond)) return 1;  // also NaN
  if (sampleRate >= 2147483647.0) return 2147483647 / kControlTicksPerSecond;
  return std::int32_t(sampleRate) / kControlTicksPerSecond;
}

bool FollowSampleRate(SampleClock& clock, double hostRate, Envelope& eg1, Envelope& eg2) {
  const double rate = ChooseSampleRate(clock.sampleRate, hostRate);
  clock.controlTickLength = ControlTickLength(rate);
  if (rate == clock.sampleRate) return false;
  clock.sampleRate = rate;
  PreparePitchTablesForRate(rate);
  ResetEnvelopeForRate(eg1, rate);
  ResetEnvelopeForRate(eg2, rate);
  return true;
}
