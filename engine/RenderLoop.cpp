#include "engine/RenderLoop.h"

#include "engine/PitchModulation.h"

namespace {

// n plain phase steps at once: masking after a 32-bit wrap-around sum is
// the same as masking after every step.
void SkipPhases(Instrument& in, int frames) {
  for (Oscillator& osc : in.vco) {
    const std::uint32_t distance = std::uint32_t(osc.phaseIncrement) * std::uint32_t(frames);
    osc.phase = WrapPhase(std::uint32_t(osc.phase) + distance);
    osc.secondPhase = WrapPhase(std::uint32_t(osc.secondPhase) + distance);
  }
}

}  // namespace

void ControlTick(Instrument& in) {
  StepModGenerator(in.mg1);
  StepModGenerator(in.mg2);
  // The arpeggiator's clock joins here.
  if (!in.gate.audible) return;
  StepEnvelope(in.eg1);
  UpdatePitchModulation(in);
  in.gate.audible = in.eg2.stage != kEnvelopeIdle;
  in.vcaFactor = (in.keys.velocity - 1.0) * in.vcaVelocity + 1.0;
  in.noise.on = in.noise.level > 0.0;
  UpdateCutoff(in.filter, in.keys.keyFollowPitch, in.keys.velocity, in.modulation.cutoffContribution);
}

void RenderChunk(Instrument& in, double* left, double* right, int frames) {
  const double a = in.outputGain * in.vcaFactor;
  if (!in.gate.audible || !(a > 0.0)) {
    SkipPhases(in, frames);
    return;
  }
  const PitchTables& tables = *in.clock.tables;
  for (int i = 0; i < frames; ++i) {
    const double s = MixSample(in.vco, in.gate.sounding, in.noise);
    const double y = FilterSample(in.filter, s, in.eg1, tables);
    StepEnvelope(in.eg2);
    const double out = a * in.eg2.level * y;
    left[i] = out;
    right[i] = out;
    AdvancePhases(in.vco);
  }
}
