// The plain mixer: the sounding oscillators at their levels, plus noise.
#pragma once

#include "engine/DspConstants.h"
#include "engine/Noise.h"
#include "engine/Oscillator.h"

struct NoiseSource {
  double level = 0.0;
  bool on = false;  // refreshed at every control tick from level > 0
};

inline double MixSample(const Oscillator (&vco)[kOscillatorCount],
                        const bool (&sounding)[kOscillatorCount], const NoiseSource& noise) {
  double s = 0.0;
  for (int i = 0; i < kOscillatorCount; ++i) {
    if (sounding[i]) s += vco[i].level * SampleOf(vco[i], vco[i].currentTable);
  }
  if (noise.on) s += NextNoise() * noise.level;
  return s;
}
