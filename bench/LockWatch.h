// Counts the locks and waits of the thread that watches itself, by standing
// in for the system's lock, wait and sleep calls; and, on every thread, how
// many pthread mutexes and rwlocks the thread holds.
#pragma once

#include <cstdint>

namespace bench {

struct LockCounts {
  // Calls that wait while another thread holds the lock.
  std::int64_t blockingLocks = 0;
  // Calls that give up when the lock is taken, and how many gave up.
  std::int64_t tryLocks = 0;
  std::int64_t failedTryLocks = 0;
  // Condition and semaphore waits, futex waits made through syscall(),
  // sleeps and yields.
  std::int64_t waits = 0;
};

// Starts counting on the calling thread; Stop returns what was counted since.
void StartLockWatch();
LockCounts StopLockWatch();

// Mutexes and rwlocks the calling thread holds now, re-entries included,
// as far as they were taken through the calls this watch stands in for.
int LocksHeldByThisThread();

}  // namespace bench
