// Which oscillator plays which key: the five key-assignment modes, release
// with Hold and AutoDamp, and chord capture.
#pragma once

#include <cstdint>

#include "dsp/HeldKeys.h"
#include "dsp/Instrument.h"

namespace dsp {

// Opens the gate and sets the oscillators `mode` gives the key to.
void AssignKey(Instrument& instrument, std::int32_t key, std::int32_t mode);
void ReleaseKey(Instrument& instrument, const HeldKeys& held, std::int32_t key, std::int32_t mode);

// Closes the gate: both envelopes go to their release.
void ReleaseGate(Instrument& instrument);

// The intervals of the chord the held oscillators play now, above the lowest
// of them (128 for an oscillator not held). False when there is no chord to
// take: the gate is closed, the arpeggiator plays, or nothing is held.
bool CaptureChord(const Instrument& instrument, std::int32_t (&intervals)[kOscillatorCount]);

// Each oscillator's portamento time: "Portamnt" plus its drift share.
void UpdateGlideTimes(Instrument& instrument);

}  // namespace dsp
