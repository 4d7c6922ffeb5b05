// A fixed ring that one thread fills and one other thread empties, without a
// lock and without allocating: how MIDI reaches the engine and how an
// adapter's edits reach the host's event lists. What does not fit is
// dropped and counted.
#pragma once

#include <atomic>
#include <cstdint>

template <typename Item, std::uint32_t Capacity>
class HandOffRing {
  static_assert((Capacity & (Capacity - 1)) == 0, "a power of two");

 public:
  static constexpr std::uint32_t kCapacity = Capacity;

  // The filling thread.
  bool Push(const Item& item) {
    const std::uint32_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) >= kCapacity) {
      dropped_.fetch_add(1, std::memory_order_relaxed);
      return false;
    }
    slots_[tail & (kCapacity - 1)] = item;
    tail_.store(tail + 1, std::memory_order_release);
    return true;
  }

  // The emptying thread: hands `take` every waiting item, oldest first.
  template <typename Take>
  void Drain(Take&& take) {
    std::uint32_t head = head_.load(std::memory_order_relaxed);
    const std::uint32_t tail = tail_.load(std::memory_order_acquire);
    for (; head != tail; ++head) {
      take(slots_[head & (kCapacity - 1)]);
      head_.store(head + 1, std::memory_order_release);
    }
  }

  // Any thread: items dropped because the ring was full.
  unsigned Dropped() const { return dropped_.load(std::memory_order_relaxed); }

 private:
  Item slots_[kCapacity];
  std::atomic<std::uint32_t> head_{0};
  std::atomic<std::uint32_t> tail_{0};
  std::atomic<unsigned> dropped_{0};
};
