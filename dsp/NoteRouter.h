// Where the keys go: while the arpeggiator plays, into its list for it to
// step through; otherwise straight to key assignment. Sits above both, so
// neither of them calls the other back.
#pragma once

#include <cstdint>

#include "dsp/HeldKeys.h"
#include "dsp/Instrument.h"

namespace dsp {

void NoteOn(Instrument& instrument, HeldKeys& held, std::int32_t key, std::int32_t velocity);
void NoteOff(Instrument& instrument, HeldKeys& held, std::int32_t key);

// Empties the list and releases every key; the sound fades with the release.
void AllNotesOff(Instrument& instrument, HeldKeys& held);

}  // namespace dsp
