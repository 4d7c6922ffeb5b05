// The plain mixer: the sounding oscillators at their levels, plus noise.
#pragma once

#include "dsp/DspConstants.h"
#include "dsp/Noise.h"
#include "dsp/Oscillator.h"

namespace dsp {

inline double MixSample(const Oscillator (&vco)[kOscillatorCount], const bool (&sounding)[kOscillatorCount],
                        NoiseSource& noise) {
  double s = 0.0;
  for (int i = 0; i < kOscillatorCount; ++i) {
    if (sounding[i]) s += vco[i].level * SampleOf(vco[i], vco[i].currentTable);
  }
  if (noise.on) s += NextNoise(noise) * noise.level;
  return s;
}

}  // namespace dsp
