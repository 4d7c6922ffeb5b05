// The pitch offset of each oscillator at a control tick. Detune spreads
// VCO 2 down and VCO 4 up; master tune moves all four. Pitch bend, the mod
// wheel and the effects' modulation join here when they are routed.
#pragma once

#include "engine/Instrument.h"

// Ends with the control-tick pitch update of all four oscillators.
void UpdatePitchModulation(Instrument& instrument);
