#include "plugin/MidiEventQueue.h"

void MidiEventQueue::Compact() {
  if (front_ == 0) return;
  for (int i = front_; i < count_; ++i) storage_[i - front_] = storage_[i];
  count_ -= front_;
  front_ = 0;
}

bool MidiEventQueue::Add(const MidiEvent& event) {
  if (count_ >= kCapacity) Compact();
  if (count_ >= kCapacity) {
    ++dropped_;
    return false;
  }
  int at = count_;
  if (count_ > front_ && event.offset < storage_[count_ - 1].offset) {
    at = count_ - 1;
    while (at > front_ && storage_[at - 1].offset > event.offset) --at;
    for (int i = count_; i > at; --i) storage_[i] = storage_[i - 1];
  }
  storage_[at] = event;
  ++count_;
  return true;
}

void MidiEventQueue::ShiftOffsets(int delta) {
  for (int i = front_; i < count_; ++i) storage_[i].offset += delta;
}
