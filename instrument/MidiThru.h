// MIDI Thru: the channel messages that arrive while it is on go back out to
// the host as they came, in arrival order and at their own offsets. Hosts take
// outgoing events during the process call, so the messages of one
// event delivery wait here for the process call of the same block.
#pragma once

#include "plugin/MidiEvent.h"

struct MidiThruQueue {
  // More channel messages than this in one block are not forwarded.
  static constexpr int kCapacity = 1024;
  MidiEvent pending[kCapacity];
  int count = 0;
};

// Keeps a channel message (status 0x80–0xEF) for forwarding. System and
// malformed messages are not forwarded: a short event has no room for the
// length of a system message, and system-exclusive data is not ours to keep.
void HoldForThru(MidiThruQueue& queue, const MidiEvent& event);

// Hands every held message to `send` in arrival order and empties the queue.
template <typename Send>
void ForwardHeld(MidiThruQueue& queue, Send&& send) {
  for (int i = 0; i < queue.count; ++i) send(queue.pending[i]);
  queue.count = 0;
}
