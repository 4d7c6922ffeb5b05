// MIDI messages on their way from the host's event call to the engine: a
// fixed ring that one thread fills and the engine's holder empties, without
// a lock and without allocating. What does not fit is dropped and counted.
#pragma once

#include <atomic>
#include <cstdint>

#include "plugin/MidiEvent.h"

class MidiInbox {
 public:
  static constexpr std::uint32_t kCapacity = 4096;  // a power of two

  // The host's event thread (normally the audio thread).
  bool Push(const MidiEvent& event) {
    const std::uint32_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) >= kCapacity) {
      dropped_.fetch_add(1, std::memory_order_relaxed);
      return false;
    }
    slots_[tail & (kCapacity - 1)] = event;
    tail_.store(tail + 1, std::memory_order_release);
    return true;
  }

  // The engine's holder: hands `take` every waiting message, oldest first.
  template <typename Take>
  void Drain(Take&& take) {
    std::uint32_t head = head_.load(std::memory_order_relaxed);
    const std::uint32_t tail = tail_.load(std::memory_order_acquire);
    for (; head != tail; ++head) {
      take(slots_[head & (kCapacity - 1)]);
      head_.store(head + 1, std::memory_order_release);
    }
  }

  // Any thread: messages dropped because the ring was full.
  unsigned Dropped() const { return dropped_.load(std::memory_order_relaxed); }

 private:
  MidiEvent slots_[kCapacity];
  std::atomic<std::uint32_t> head_{0};
  std::atomic<std::uint32_t> tail_{0};
  std::atomic<unsigned> dropped_{0};
};
