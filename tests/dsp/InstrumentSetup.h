// The instrument most engine tests start from.
#pragma once

#include "dsp/Instrument.h"
#include "dsp/SampleRate.h"
#include "dsp/TickGrid.h"

using namespace dsp;

// At 44100 Hz, its tick grid matching, with four sawtooths at full level.
inline void PrepareSawtoothInstrument(Instrument& in, TickGrid* grid = nullptr) {
  PrepareInstrument(in);
  FollowSampleRate(in.clock, 44100.0, in.eg1, in.eg2);
  if (grid) grid->length = in.clock.controlTickLength;
  for (Oscillator& osc : in.vco) {
    osc.waveform = kWaveSawtooth;
    osc.level = 1.0;
  }
}
