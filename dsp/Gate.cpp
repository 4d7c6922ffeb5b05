#include "dsp/Gate.h"

namespace dsp {

void OpenGate(Gate& gate, Envelope& eg1, Envelope& eg2, bool retrigger) {
  if (!gate.open) {
    gate.shareState = 0;
    for (int i = 0; i < kOscillatorCount; ++i) {
      gate.held[i] = false;
      gate.sounding[i] = false;
    }
    RestartEnvelope(eg1);
    RestartEnvelope(eg2);
  } else if (retrigger) {
    RestartEnvelope(eg1);
    RestartEnvelope(eg2);
  }
  gate.open = true;
  gate.audible = true;
}

void CloseGate(Gate& gate, Envelope& eg1, Envelope& eg2) {
  gate.shareState = 0;
  for (bool& held : gate.held) held = false;
  gate.open = false;
  ReleaseEnvelope(eg1);
  ReleaseEnvelope(eg2);
}

}  // namespace dsp
