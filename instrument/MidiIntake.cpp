// What happens to a MIDI message before the engine sees it: program changes
// and all-notes-off act at once, notes and controllers wait in the queue for
// the control tick they fall due in. With MIDI Thru on, every channel
// message is also held for forwarding to the host.
#include "instrument/Synth.h"

#include "dsp/MidiMessage.h"

std::int32_t Synth::QueuedOffset(std::int32_t offset, std::int32_t tickLength) {
  if (offset <= tickLength) return offset;
  const std::int64_t moved = std::int64_t(offset) + tickLength / 2;
  return moved > INT32_MAX ? INT32_MAX : std::int32_t(moved);
}

void Synth::HandleMidiEvent(const IMidiEvent* event) {
  if (event == nullptr) return;
  Lock lock(Mutex());
  if (midiThru_) HoldForThru(thruQueue_, *event);
  if (!midi::IsChannelMessage(event->status)) return;
  const std::uint8_t kind = midi::KindOf(event->status);
  bool queued = false;
  switch (kind) {
    case midi::kNoteOff:
    case midi::kNoteOn:
    case midi::kChannelPressure:
    case midi::kPitchBend:
      queued = true;
      break;
    case midi::kControlChange:
      if (event->data1 < kLearnableControllers) {
        if (learn_.active) {
          // A controller moved while learning is the one to bind, not a sound change.
          learn_.capturedController = event->data1;
          BindLearnedController();
        } else {
          queued = true;
        }
      } else if (event->data1 == midi::kAllSoundOff || event->data1 == midi::kAllNotesOff) {
        AllNotesOff();
      }
      break;
    case midi::kProgramChange:
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
