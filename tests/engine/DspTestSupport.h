// Shared set-up for the DSP tests: the process-wide tables at 44100 Hz.
#pragma once

#include "engine/Oscillator.h"
#include "engine/PitchTables.h"

inline void UseTablesAt44100() {
  PrepareOscillatorTables();
  PreparePitchTablesForRate(44100.0);
}
