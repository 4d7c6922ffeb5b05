// A double that any thread may read or write whole: a parameter's value is
// set by the host, the editor and the audio thread and read by all of them.
// A store releases and a load acquires (plain moves on x86-64): a reader
// that sees a value written during a restore also sees that the restore had
// begun, which the audio thread's check of the restore count relies on.
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

  double load() const { return value_.load(std::memory_order_acquire); }
  void store(double v) { value_.store(v, std::memory_order_release); }

 private:
  std::atomic<double> value_;
  static_assert(std::atomic<double>::is_always_lock_free);
};
