// Events waiting for the render loop, in order of sample offset (equal
// offsets in arrival order). Its room is fixed when it is made: the audio
// thread never allocates, and what does not fit is dropped and counted.
#pragma once

#include <memory>

#include "plugin/MidiEvent.h"

class MidiEventQueue {
 public:
  static constexpr int kCapacity = 4096;

  MidiEventQueue() : storage_(std::make_unique<MidiEvent[]>(kCapacity)) {}

  // False, and the event dropped, when the queue is full.
  bool Add(const MidiEvent& event);

  bool Empty() const { return front_ >= count_; }
  const MidiEvent& Front() const { return storage_[front_]; }
  void PopFront() { ++front_; }
  // Drops every waiting event (all notes off, reset).
  void Flush() { front_ = count_ = 0; }
  // Shifts every waiting offset, for events carried into the next block.
  void ShiftOffsets(int delta);

  // One control tick of `tickLength` samples: hands `take` every event due
  // in it (offset ≤ tickLength) in order, then moves the rest a tick closer.
  template <typename Take>
  void TakeDue(int tickLength, Take&& take) {
    while (!Empty()) {
      const MidiEvent event = Front();
      if (static_cast<long long>(event.offset) - tickLength > 0) break;
      PopFront();
      take(event);
    }
    if (!Empty()) ShiftOffsets(-tickLength);
  }

  int Pending() const { return count_ - front_; }
  // Hands `visit` every waiting event, in order, leaving them waiting.
  template <typename Visit>
  void ForEachWaiting(Visit&& visit) const {
    for (int i = front_; i < count_; ++i) visit(storage_[i]);
  }
  // Events dropped because the queue was full.
  unsigned Dropped() const { return dropped_; }

 private:
  void Compact();

  std::unique_ptr<MidiEvent[]> storage_;
  int front_ = 0;
  int count_ = 0;
  unsigned dropped_ = 0;
};
