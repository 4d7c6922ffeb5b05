#include "plugin/MidiEventQueue.h"

#include <new>

IMidiEventQueue::IMidiEventQueue() { Reallocate(kInitialCapacity); }

bool IMidiEventQueue::Reallocate(int capacity) {
  try {
    storage_.resize(static_cast<std::size_t>(capacity));
  } catch (const std::bad_alloc&) {
    return false;
  }
  capacity_ = capacity;
  return true;
}

void IMidiEventQueue::Compact() {
  if (front_ == 0) return;
  for (int i = front_; i < count_; ++i) storage_[static_cast<std::size_t>(i - front_)] = storage_[static_cast<std::size_t>(i)];
  count_ -= front_;
  front_ = 0;
}

void IMidiEventQueue::Add(const IMidiEvent& event) {
  if (count_ >= capacity_) {
    if (front_ > 0) {
      Compact();
    } else if (granularity_ <= 0 || !Reallocate(granularity_ * (capacity_ / granularity_ + 1))) {
      return;  // full and cannot grow: the event is dropped
    }
  }
  int at = count_;
  if (count_ > front_ && event.offset < storage_[static_cast<std::size_t>(count_ - 1)].offset) {
    at = count_ - 1;
    while (at > front_ && storage_[static_cast<std::size_t>(at - 1)].offset > event.offset) --at;
    for (int i = count_; i > at; --i) storage_[static_cast<std::size_t>(i)] = storage_[static_cast<std::size_t>(i - 1)];
  }
  storage_[static_cast<std::size_t>(at)] = event;
  ++count_;
}

void IMidiEventQueue::Resize(int blockSize) {
  Compact();
  auto roundUp = [](int n) { return (n + kResizeQuantum - 1) / kResizeQuantum * kResizeQuantum; };
  granularity_ = roundUp(blockSize > 0 ? blockSize : 1);
  int target = count_ > granularity_ ? roundUp(count_) : granularity_;
  if (target != capacity_) Reallocate(target);
}

void IMidiEventQueue::ShiftOffsets(int delta) {
  for (int i = front_; i < count_; ++i) storage_[static_cast<std::size_t>(i)].offset += delta;
}
