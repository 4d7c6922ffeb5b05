#include "dsp/NoteRouter.h"

#include "dsp/Arpeggiator.h"
#include "dsp/KeyAssign.h"
#include "dsp/NoteTuning.h"

namespace dsp {

namespace {

constexpr double kVelocityScale = 1.0 / 127.0;

}  // namespace

void NoteOn(Instrument& in, HeldKeys& held, std::int32_t key, std::int32_t velocity) {
  if (in.tuning != nullptr && in.tuning->IsNoteFiltered(key)) return;  // the master mutes it
  in.keys.velocity = velocity * kVelocityScale;
  if (in.arp.active) {
    if (held.pressed == 0) RestartArpeggio(in, held);  // a new set of keys
    ListKey(held, key);
    return;
  }
  ListKey(held, key);
  AssignKey(in, key, in.keys.mode);
}

void NoteOff(Instrument& in, HeldKeys& held, std::int32_t key) {
  UnlistKey(held, key, in.arp.active && in.arp.state == kArpLatch);
  if (!in.arp.active) {
    ReleaseKey(in, held, key, in.keys.mode);
  } else if (in.arp.state == kArpOn) {
    ReleaseGate(in);
  }
}

void AllNotesOff(Instrument& in, HeldKeys& held) {
  held.Clear();
  in.arp.position = 0;
  in.arp.octave = 0;
  ReleaseGate(in);
  for (std::int32_t key = 0; key <= kTopKey; ++key) {
    if (!in.arp.active) {
      ReleaseKey(in, held, key, in.keys.mode);
    } else if (in.arp.state == kArpOn) {
      ReleaseGate(in);
    }
  }
}

}  // namespace dsp
