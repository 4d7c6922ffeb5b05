#include "dsp/DueEvents.h"

#include "dsp/NoteRouter.h"

namespace dsp {

namespace {

constexpr double kBendCentre = 64.0;
constexpr double kBendScale = 1.0 / 8192.0;

}  // namespace

int TakeDueEvent(Instrument& in, HeldKeys& held, const MidiMessage& message) {
  const std::int32_t data1 = midi::DataOf(message.data1);
  const std::int32_t data2 = midi::DataOf(message.data2);
  switch (midi::KindOf(message.status)) {
    case midi::kNoteOn:
      if (data2 > 0) {
        NoteOn(in, held, data1, data2);
        break;
      }
      [[fallthrough]];  // velocity 0 is a note-off
    case midi::kNoteOff: NoteOff(in, held, data1); break;
    case midi::kControlChange:
      if (data1 == midi::kModulationWheel) {
        in.keys.modWheel = data2 / 127.0;
        break;
      }
      return data1;
    case midi::kPitchBend: in.keys.pitchBend = ((data2 - kBendCentre) * 128.0 + data1) * kBendScale; break;
    default:  // pressure and system messages do nothing in the engine
      break;
  }
  return -1;
}

}  // namespace dsp
