#include "dsp/ModGenerator.h"

namespace dsp {

namespace {

constexpr double kHalfCycle = kModCycle / 2.0;
// The ramps never quite reach their ends, so a sawtooth's jump stays a jump.
constexpr double kTriangleSlope = kHalfCycle + 0.5;  // 2048.5
constexpr double kSawSlope = kModCycle + 1.0;        // 4097

}  // namespace

void SetModRate(ModGenerator& generator, double rate) {
  generator.rate = rate;
  generator.increment = rate * kModIncrementPerRate;
}

void StepModGenerator(ModGenerator& generator) {
  const double phi = generator.phase;
  generator.firstHalf = phi < kHalfCycle;
  double u;
  switch (generator.waveform) {
    case kModSawDown: u = 1.0 - phi / kSawSlope; break;
    case kModSawUp: u = phi / kSawSlope; break;
    case kModSquare: u = phi < kHalfCycle ? 1.0 : 0.0; break;
    default: u = phi < kHalfCycle ? phi / kTriangleSlope : 1.0 - (phi - kHalfCycle) / kTriangleSlope; break;
  }
  generator.unipolar = u;
  generator.bipolar = 2.0 * u - 1.0;
  generator.phase = phi + generator.increment;
  while (generator.phase >= kModCycle) generator.phase -= kModCycle;
}

void ResetModGenerator(ModGenerator& generator) {
  generator.bipolar = 0.0;
  generator.unipolar = 0.0;
  generator.firstHalf = true;
  generator.phase = 0.0;
}

}  // namespace dsp
