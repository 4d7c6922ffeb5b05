// The one gate of the instrument: it opens and closes both envelopes and
// knows which oscillators are held by a key and which are mixed in.
#pragma once

#include <cstdint>

#include "dsp/DspConstants.h"
#include "dsp/Envelope.h"

namespace dsp {

struct Gate {
  bool open = false;
  bool audible = false;         // from opening until a control tick finds the amplifier envelope idle
  std::int32_t shareState = 0;  // Unison/Share progress, 0–3
  bool held[kOscillatorCount] = {};
  bool sounding[kOscillatorCount] = {};
};

// `retrigger`: restart the envelopes even when the gate is already open
// (multiple trigger, or the arpeggiator playing); otherwise a held gate is legato.
void OpenGate(Gate& gate, Envelope& eg1, Envelope& eg2, bool retrigger);

// Released oscillators keep sounding through the envelopes' release.
void CloseGate(Gate& gate, Envelope& eg1, Envelope& eg2);

}  // namespace dsp
