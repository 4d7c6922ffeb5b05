// The MIDI messages that fall due at a control tick: the owner of the
// waiting messages hands each one over at the start of the tick.
#pragma once

#include "dsp/HeldKeys.h"
#include "dsp/Instrument.h"
#include "dsp/MidiMessage.h"

namespace dsp {

// Acts on one due message. Returns the controller number of a control change
// other than the modulation wheel (for the learned-controller map), else -1.
int TakeDueEvent(Instrument& instrument, HeldKeys& held, const MidiMessage& message);

}  // namespace dsp
