// The pitch scale and the three sample-rate tables built on it: oscillator
// phase increments, filter frequencies and the filter's resonance scale.
#pragma once

#include <cstdint>

#include "dsp/DspConstants.h"

namespace dsp {

// One set for one sample rate. The engine shares its set with every instance
// in the process that runs at the same rate (SharedPitchTables.h).
struct PitchTables {
  double sampleRate = 0.0;                            // the rate the set was built for
  std::int32_t phaseIncrement[kPitchTableSize] = {};  // 28-bit phase units a sample
  double filterOmega[kPitchTableSize] = {};           // radians a sample, not pre-warped
  double resonanceGain[kPitchTableSize] = {};         // scales the ladder's feedback
};

// Hz of a pitch index, interpolated linearly between the keys' frequencies.
double PitchToFrequency(std::int32_t pitch);

// Pitch index of an untuned key.
std::int32_t KeyToPitch(std::int32_t key);

// Pitch index of a key as the microtuning master tunes it, when one is
// connected; otherwise exactly the untuned key's.
class NoteTuning;
std::int32_t KeyToPitch(std::int32_t key, const NoteTuning* tuning);

// Pitch index whose frequency comes nearest to `hz`, for microtuned keys.
std::int32_t PitchOfFrequency(double hz);

// Clamps a pitch index to the tables' range, as every table read does.
inline std::int32_t PitchTableIndex(std::int32_t pitch) {
  return pitch < 0 ? 0 : (pitch > kTopPitch ? kTopPitch : pitch);
}

void BuildPitchTables(PitchTables& tables, double sampleRate);

}  // namespace dsp
