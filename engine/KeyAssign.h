// Which oscillator plays which key: the held-key list, the five
// key-assignment modes, release with Hold and AutoDamp, and chord capture.
#pragma once

#include <cstdint>

#include "engine/Instrument.h"
#include "shell/HeldKeys.h"

void NoteOn(Instrument& instrument, HeldKeys& held, std::int32_t key, std::int32_t velocity);
void NoteOff(Instrument& instrument, HeldKeys& held, std::int32_t key);

// Opens the gate and sets the oscillators `mode` gives the key to.
void AssignKey(Instrument& instrument, std::int32_t key, std::int32_t mode);
void ReleaseKey(Instrument& instrument, const HeldKeys& held, std::int32_t key, std::int32_t mode);

// Empties the list and releases every key; the sound fades with the release.
void AllNotesOff(Instrument& instrument, HeldKeys& held);

// The intervals of the chord the held oscillators play now, above the lowest
// of them (128 for an oscillator not held). False when there is no chord to
// take: the gate is closed, the arpeggiator plays, or nothing is held.
bool CaptureChord(const Instrument& instrument, std::int32_t (&intervals)[kOscillatorCount]);

// Each oscillator's portamento time: "Portamnt" plus its drift share.
void UpdateGlideTimes(Instrument& instrument);
