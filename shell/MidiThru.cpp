#include "shell/MidiThru.h"

#include "shell/Synth.h"

namespace {

constexpr std::uint8_t kFirstChannelStatus = 0x80;
constexpr std::uint8_t kFirstSystemStatus = 0xF0;

}  // namespace

void HoldForThru(MidiThruQueue& queue, const IMidiEvent& event) {
  if (event.status < kFirstChannelStatus || event.status >= kFirstSystemStatus) return;
  if (queue.count >= MidiThruQueue::kCapacity) return;
  // A stray top bit in a data byte would read as a status byte further on.
  IMidiEvent forwarded = event;
  forwarded.data1 &= 0x7F;
  forwarded.data2 &= 0x7F;
  queue.pending[queue.count++] = forwarded;
}

void Synth::SetMidiThru(bool on) {
  Lock lock(Mutex());
  midiThru_ = on;
}

void Synth::ForwardMidiThru() {
  Lock lock(Mutex());
  ForwardHeld(thruQueue_, [this](const IMidiEvent& event) { SendMidiEvent(&event); });
}
