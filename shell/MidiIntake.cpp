// What happens to a MIDI message before the engine sees it: program changes
// and all-notes-off act at once, notes and controllers wait in the queue for
// the control tick they fall due in. With MIDI Thru on, every channel
// message is also held for forwarding to the host.
#include "shell/Synth.h"

namespace {

constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kProgramChange = 0xC0;
constexpr std::uint8_t kChannelPressure = 0xD0;
constexpr std::uint8_t kPitchBend = 0xE0;
constexpr std::uint8_t kSystem = 0xF0;
constexpr int kAllSoundOff = 120;
constexpr int kAllNotesOff = 123;

}  // namespace

std::int32_t Synth::QueuedOffset(std::int32_t offset, std::int32_t tickLength) {
  if (offset <= tickLength) return offset;
  const std::int64_t moved = std::int64_t(offset) + tickLength / 2;
  return moved > INT32_MAX ? INT32_MAX : std::int32_t(moved);
}

void Synth::HandleMidiEvent(const IMidiEvent* event) {
  if (event == nullptr) return;
  Lock lock(Mutex());
  if (midiThru_) HoldForThru(thruQueue_, *event);
  if (event->status < kNoteOff || event->status >= kSystem) return;
  const std::uint8_t kind = event->status & 0xF0;
  bool queued = false;
  switch (kind) {
    case kNoteOff:
    case kNoteOn:
    case kChannelPressure:
    case kPitchBend:
      queued = true;
      break;
    case kControlChange:
      if (event->data1 < kLearnableControllers) {
        if (learn_.active) {
          // A controller moved while learning is the one to bind, not a sound change.
          learn_.capturedController = event->data1;
          BindLearnedController();
        } else {
          queued = true;
        }
      } else if (event->data1 == kAllSoundOff || event->data1 == kAllNotesOff) {
        AllNotesOff();
      }
      break;
    case kProgramChange:
      // Edits of the current program are not kept: the message switches.
      if (!ignoreProgramChange_ && event->data1 < PresetCount()) ActivatePreset(event->data1);
      break;
    default:  // polyphonic pressure
      break;
  }
  if (!queued) return;
  IMidiEvent waiting = *event;
  waiting.offset = QueuedOffset(event->offset, tickGrid_.length);
  eventQueue_.Add(waiting);
}
