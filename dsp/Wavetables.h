// Band-limited single-cycle tables: one sawtooth and one triangle bank, each
// table holding half as many harmonics (in power) as the one before, so an
// oscillator can pick the richest table that still stays below Nyquist.
#pragma once

#include "dsp/DspConstants.h"

namespace dsp {

constexpr int kWavetableCount = 22;

struct Wavetable {
  double sample[kTableSize];
};

// Process-wide, built once and never rebuilt: the tables do not depend on the rate.
struct WavetableBanks {
  bool built = false;
  Wavetable saw[kWavetableCount];
  Wavetable triangle[kWavetableCount];
};

extern WavetableBanks gWavetables;

// Harmonic count of table t: 2048, 1448, 1024, … 2, 1.
int WavetableHarmonicCount(int table);

// Fills both banks the first time it is called.
void BuildWavetableBanks();

}  // namespace dsp
