// Events waiting for the render loop, in order of sample offset (equal
// offsets in arrival order). Sized at reset so that the audio thread never
// allocates while the host keeps to its block size.
#pragma once

#include <cstddef>
#include <vector>

#include "plugin/MidiEvent.h"

class IMidiEventQueue {
 public:
  static constexpr int kInitialCapacity = 1024;
  static constexpr int kResizeQuantum = 512;

  IMidiEventQueue();

  void Add(const IMidiEvent& event);
  void Resize(int blockSize);

  bool Empty() const { return front_ >= count_; }
  const IMidiEvent& Front() const { return storage_[static_cast<std::size_t>(front_)]; }
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
      const IMidiEvent event = Front();
      if (static_cast<long long>(event.offset) - tickLength > 0) break;
      PopFront();
      take(event);
    }
    if (!Empty()) ShiftOffsets(-tickLength);
  }

  int Pending() const { return count_ - front_; }
  int Capacity() const { return capacity_; }
  int Granularity() const { return granularity_; }
  int FrontIndex() const { return front_; }
  int Count() const { return count_; }
  const IMidiEvent& At(int index) const { return storage_[static_cast<std::size_t>(index)]; }

 private:
  void Compact();
  bool Reallocate(int capacity);

  std::vector<IMidiEvent> storage_;
  int capacity_ = 0;
  int granularity_ = kInitialCapacity;
  int front_ = 0;
  int count_ = 0;
};
