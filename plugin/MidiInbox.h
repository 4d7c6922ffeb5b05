// MIDI messages on their way from the host's event call to the engine: the
// host's event thread (normally the audio thread) fills it, the engine's
// holder empties it.
#pragma once

#include "plugin/HandOffRing.h"
#include "plugin/MidiEvent.h"

using MidiInbox = HandOffRing<MidiEvent, 4096>;
