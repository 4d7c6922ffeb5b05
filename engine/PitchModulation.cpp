#include "engine/PitchModulation.h"

void UpdatePitchModulation(Instrument& in) {
  PitchModulation& mod = in.modulation;
  double m[kOscillatorCount] = {0.0, 0.0, 0.0, 0.0};
  mod.cutoffContribution = 0.0;
  m[1] -= mod.detune;
  m[3] += mod.detune;
  for (int i = 0; i < kOscillatorCount; ++i) UpdatePitch(in.vco[i], m[i] + mod.masterTune, *in.clock.tables);
}
