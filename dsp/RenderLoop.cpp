#include "dsp/RenderLoop.h"

#include "dsp/Arpeggiator.h"
#include "dsp/OscillatorEffects.h"
#include "dsp/PitchModulation.h"

namespace dsp {

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

// The per-sample path for one combination of the effects, chosen once a chunk.
template <bool kCrossModulated, bool kSynced>
void RenderSamples(Instrument& in, double* left, double* right, int frames, double a) {
  const PitchTables& tables = *in.clock.tables;
  const PitchModulation& mod = in.modulation;
  for (int i = 0; i < frames; ++i) {
    const double s = kCrossModulated
                         ? MixCrossModulated(in.vco, in.gate.sounding, in.noise, mod.crossModAmount, mod.singleMode)
                         : MixSample(in.vco, in.gate.sounding, in.noise);
    const double y = FilterSample(in.filter, s, in.eg1, tables);
    StepEnvelope(in.eg2);
    const double out = a * in.eg2.level * y;
    left[i] = out;
    right[i] = out;
    if (kSynced) {
      AdvancePhasesSynced(in.vco, mod.singleMode);
    } else {
      AdvancePhases(in.vco);
    }
  }
}

}  // namespace

bool CrossModulationOn(const PitchModulation& mod) { return mod.effects && mod.crossModActive && mod.crossModInType; }

bool SyncOn(const PitchModulation& mod) { return mod.effects && mod.syncInType; }

void ControlTick(Instrument& in, const HeldKeys& held) {
  StepModGenerator(in.mg1);
  StepModGenerator(in.mg2);
  ArpClockTick(in, held);
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
  const bool synced = SyncOn(in.modulation);
  if (!in.gate.audible || !(a > 0.0)) {
    if (!synced) {
      SkipPhases(in, frames);
    } else {
      // A slave restarts wherever its master wraps: no shortcut.
      for (int i = 0; i < frames; ++i) AdvancePhasesSynced(in.vco, in.modulation.singleMode);
    }
    return;
  }
  if (CrossModulationOn(in.modulation)) {
    if (synced)
      RenderSamples<true, true>(in, left, right, frames, a);
    else
      RenderSamples<true, false>(in, left, right, frames, a);
  } else {
    if (synced)
      RenderSamples<false, true>(in, left, right, frames, a);
    else
      RenderSamples<false, false>(in, left, right, frames, a);
  }
}

}  // namespace dsp
