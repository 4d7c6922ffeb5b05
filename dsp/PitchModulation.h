// The pitch offset of each oscillator at a control tick: pitch bend and the
// mod wheel (through MG1) on VCO 1 or the slaves, on all four or on the
// cutoff; the effects' frequency modulation and shift on the slaves; detune
// spreading VCO 2 down and VCO 4 up; master tune moving all four.
#pragma once

#include "dsp/Instrument.h"

namespace dsp {

enum ModulationTarget : std::int32_t {
  kTargetVco1OrSlaves = 0,  // VCO 1 with the effects off, the slaves with them on
  kTargetPitch = 1,
  kTargetCutoff = 2,
};

// Full bend, full wheel or full FM reach this many pitch steps on the
// oscillators (a little over 30 semitones), twice as many on the cutoff.
constexpr double kOscillatorBendRange = 3841.0;
constexpr double kCutoffBendRange = 7681.0;

// Ends with the control-tick pitch update of all four oscillators.
void UpdatePitchModulation(Instrument& instrument);

}  // namespace dsp
