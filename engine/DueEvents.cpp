#include "engine/DueEvents.h"

#include "engine/KeyAssign.h"

namespace {

constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kPitchBend = 0xE0;
constexpr int kModulationWheel = 1;
constexpr double kBendCentre = 64.0;
constexpr double kBendScale = 1.0 / 8192.0;

}  // namespace

int TakeDueEvent(Instrument& in, HeldKeys& held, const IMidiEvent& event) {
  // MIDI data bytes carry seven bits; a host's stray top bit is dropped.
  const std::int32_t data1 = event.data1 & 0x7F;
  const std::int32_t data2 = event.data2 & 0x7F;
  switch (event.status & 0xF0) {
    case kNoteOn:
      if (data2 > 0) {
        NoteOn(in, held, data1, data2);
        break;
      }
      [[fallthrough]];  // velocity 0 is a note-off
    case kNoteOff:
      NoteOff(in, held, data1);
      break;
    case kControlChange:
      if (data1 == kModulationWheel) {
        in.keys.modWheel = data2 / 127.0;
        break;
      }
      return data1;
    case kPitchBend:
      in.keys.pitchBend = ((data2 - kBendCentre) * 128.0 + data1) * kBendScale;
      break;
    default:  // pressure and system messages do nothing in the engine
      break;
  }
  return -1;
}
