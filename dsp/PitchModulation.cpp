#include "dsp/PitchModulation.h"

namespace dsp {

namespace {

// Adds `amount` to the oscillators a bend or wheel target reaches.
void AddToTarget(const PitchModulation& mod, std::int32_t target, double amount, double (&m)[kOscillatorCount]) {
  switch (target) {
    case kTargetVco1OrSlaves:
      if (!mod.effects) {
        m[0] += amount;
      } else {
        m[1] += amount;
        m[3] += amount;
        if (mod.singleMode) m[2] += amount;
      }
      break;
    case kTargetPitch:
      for (double& mi : m) mi += amount;
      break;
    default: break;
  }
}

}  // namespace

void UpdatePitchModulation(Instrument& in) {
  PitchModulation& mod = in.modulation;
  double m[kOscillatorCount] = {0.0, 0.0, 0.0, 0.0};

  const double bend = mod.bendIntensity * in.keys.pitchBend;
  AddToTarget(mod, mod.bendTarget, kOscillatorBendRange * bend, m);
  mod.cutoffContribution = mod.bendTarget == kTargetCutoff ? kCutoffBendRange * bend : 0.0;

  // The override holds the wheel at a fixed depth, whatever the controller says.
  const double depth =
      mod.wheelOverride > 0.0 ? mod.wheelOverride * mod.wheelIntensity : mod.wheelIntensity * in.keys.modWheel;
  const double wheel = depth * in.mg1.bipolar;
  AddToTarget(mod, mod.wheelTarget, kOscillatorBendRange * wheel, m);
  if (mod.wheelTarget == kTargetCutoff) mod.cutoffContribution += kCutoffBendRange * wheel;

  if (mod.effects) {
    double v = mod.fmAmount * (mod.fmFromEg1 ? in.eg1.level : in.mg1.bipolar);
    if (mod.crossModInType) v += (mod.singleMode ? mod.shiftSingle : mod.shiftDouble) * mod.crossModAmount;
    m[1] += v;
    m[3] += v;
    if (mod.singleMode) m[2] += v;
  }

  m[1] -= mod.detune;
  m[3] += mod.detune;
  for (int i = 0; i < kOscillatorCount; ++i) UpdatePitch(in.vco[i], m[i] + mod.masterTune, *in.clock.tables);
}

}  // namespace dsp
