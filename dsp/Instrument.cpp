#include "dsp/Instrument.h"

namespace dsp {

void PrepareInstrument(Instrument& in) {
  PrepareOscillatorTables();
  for (Oscillator& osc : in.vco) {
    osc.connected = true;
    osc.pwmSource = &in.mg2.unipolar;
  }
}

}  // namespace dsp
