// A double that any thread may read or write whole: a parameter's value is
// set by the host, the editor and the audio thread and read by all of them.
// Relaxed: each value stands on its own; what must be seen together is
// ordered by the hand-offs that publish it.
#pragma once

#include <atomic>

class AtomicDouble {
 public:
  AtomicDouble(double v = 0) : value_(v) {}
  AtomicDouble(const AtomicDouble& other) : value_(other.load()) {}
  AtomicDouble& operator=(const AtomicDouble& other) {
    store(other.load());
    return *this;
  }
  AtomicDouble& operator=(double v) {
    store(v);
    return *this;
  }
  operator double() const { return load(); }

  double load() const { return value_.load(std::memory_order_relaxed); }
  void store(double v) { value_.store(v, std::memory_order_relaxed); }

 private:
  std::atomic<double> value_;
  static_assert(std::atomic<double>::is_always_lock_free);
};
