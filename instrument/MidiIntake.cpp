// What happens to a MIDI message before the engine sees it: the inbox takes
// it on the host's event thread; the engine's holder then lets program
// changes and all-notes-off act at once, and notes and controllers wait in
// the queue for the control tick they fall due in. With MIDI Thru on, every
// channel message is also held for forwarding to the host.
#include "instrument/Synth.h"

#include "dsp/MidiMessage.h"

using namespace dsp;

std::int32_t Synth::QueuedOffset(std::int32_t offset, std::int32_t tickLength) {
  if (offset <= tickLength) return offset;
  const std::int64_t moved = std::int64_t(offset) + tickLength / 2;
  return moved > INT32_MAX ? INT32_MAX : std::int32_t(moved);
}

void Synth::ReceiveMidi(const MidiEvent& event) {
  inbox_.Push(event);
  if (Processing()) return;
  // With processing off the message acts now, as the host expects of a
  // program change or all-notes-off sent while nothing plays.
  EngineHold hold(*this);
  TakeMidi();
  ApplyChangedParameters();
}

void Synth::TakeMidi() {
  const int program = pendingProgram_.exchange(-1, std::memory_order_acq_rel);
  if (program >= 0) ChangeProgramFromMidi(program);
  inbox_.Drain([this](const MidiEvent& event) { HandleMidiEvent(event); });
}

void Synth::ChangeProgramFromMidi(int program) {
  {
    TryLock lock(*this);
    if (!lock) {
      // Another thread is changing the programs: the change waits a block.
      pendingProgram_.store(program, std::memory_order_release);
      return;
    }
    // Edits of the current program are not kept: the message switches.
    ActivatePreset(program);
  }
  // The rest of the block's messages meet the new program's settings.
  ApplyChangedParameters();
}

void Synth::HandleMidiEvent(const MidiEvent& event) {
  if (MidiThru()) HoldForThru(thruQueue_, event);
  if (!midi::IsChannelMessage(event.status)) return;
  const std::uint8_t kind = midi::KindOf(event.status);
  bool queued = false;
  switch (kind) {
    case midi::kNoteOff:
    case midi::kNoteOn:
    case midi::kChannelPressure:
    case midi::kPitchBend: queued = true; break;
    case midi::kControlChange:
      if (event.data1 < kLearnableControllers) {
        if (LearnActive()) {
          // A controller moved while learning is the one to bind, not a sound change.
          CaptureLearnController(event.data1);
        } else {
          queued = true;
        }
      } else if (event.data1 == midi::kAllSoundOff || event.data1 == midi::kAllNotesOff) {
        AllNotesOff();
      }
      break;
    case midi::kProgramChange:
      if (!IgnoresProgramChange() && event.data1 < PresetCount()) ChangeProgramFromMidi(event.data1);
      break;
    default:  // polyphonic pressure
      break;
  }
  if (!queued) return;
  MidiEvent waiting = event;
  waiting.offset = QueuedOffset(event.offset, tickGrid_.length);
  eventQueue_.Add(waiting);
}
