// Shared set-up for the DSP tests: the wavetables and a table set at 44100 Hz.
#pragma once

#include "dsp/Oscillator.h"
#include "dsp/PitchTables.h"

using namespace dsp;

inline const PitchTables& Tables44100() {
  static PitchTables tables;  // 350 KB: static storage, built once
  if (tables.sampleRate != 44100.0) BuildPitchTables(tables, 44100.0);
  return tables;
}

inline void UseTablesAt44100() {
  PrepareOscillatorTables();
  Tables44100();
}
