// The executable's own pthread lock, condition, semaphore, sleep and
// syscall() entries: the instrument linked into it and the C++ library call
// these, each counts on the watched thread and hands on to the C library's.
// The C library's own internal locks (malloc's, stdio's) do not pass through
// here; a wait in one of them still shows as a voluntary context switch,
// which the bench reads from the kernel. Kept free of the C library's
// headers so that these definitions are the only declarations.
#include <dlfcn.h>
#include <linux/futex.h>
#include <sys/syscall.h>

#include <cstdarg>

#include "bench/LockWatch.h"

namespace {

thread_local bool tWatching = false;
thread_local bench::LockCounts tCounts;
thread_local int tHeld = 0;

template <typename Function>
Function Resolve(const char* name, const char* version = nullptr) {
  // dlsym's own work must not count against the watched calls.
  const bool watching = tWatching;
  tWatching = false;
  void* symbol = version ? dlvsym(RTLD_NEXT, name, version) : dlsym(RTLD_NEXT, name);
  tWatching = watching;
  return reinterpret_cast<Function>(symbol);
}

// One of the C library's entries, found on first use or before main.
template <typename Function>
struct Next {
  const char* name;
  const char* version;
  Function function = nullptr;
  Function operator*() {
    if (!function) function = Resolve<Function>(name, version);
    return function;
  }
};

using OneHandle = int (*)(void*);
using HandleAndTime = int (*)(void*, const void*);
using HandleClockAndTime = int (*)(void*, int, const void*);
using CondWait = int (*)(void*, void*);
using CondTimedWait = int (*)(void*, void*, const void*);
using CondClockWait = int (*)(void*, void*, int, const void*);
using Nanosleep = int (*)(const void*, void*);
using ClockNanosleep = int (*)(int, int, const void*, void*);
using Usleep = int (*)(unsigned);
using Yield = int (*)();
using Syscall = long (*)(long, long, long, long, long, long, long);

Next<OneHandle> mutexLock{"pthread_mutex_lock", nullptr}, mutexTryLock{"pthread_mutex_trylock", nullptr},
    mutexUnlock{"pthread_mutex_unlock", nullptr};
Next<HandleAndTime> mutexTimedLock{"pthread_mutex_timedlock", nullptr};
Next<HandleClockAndTime> mutexClockLock{"pthread_mutex_clocklock", nullptr};
Next<OneHandle> readLock{"pthread_rwlock_rdlock", nullptr}, writeLock{"pthread_rwlock_wrlock", nullptr},
    tryReadLock{"pthread_rwlock_tryrdlock", nullptr}, tryWriteLock{"pthread_rwlock_trywrlock", nullptr},
    rwUnlock{"pthread_rwlock_unlock", nullptr};
Next<HandleAndTime> timedReadLock{"pthread_rwlock_timedrdlock", nullptr},
    timedWriteLock{"pthread_rwlock_timedwrlock", nullptr};
Next<HandleClockAndTime> clockReadLock{"pthread_rwlock_clockrdlock", nullptr},
    clockWriteLock{"pthread_rwlock_clockwrlock", nullptr};
Next<OneHandle> spinLock{"pthread_spin_lock", nullptr}, spinTryLock{"pthread_spin_trylock", nullptr},
    spinUnlock{"pthread_spin_unlock", nullptr};
// The condition calls keep an old version beside the current one, which
// plain dlsym may return; the current one is the one the headers name.
Next<CondWait> condWait{"pthread_cond_wait", "GLIBC_2.3.2"};
Next<CondTimedWait> condTimedWait{"pthread_cond_timedwait", "GLIBC_2.3.2"};
Next<CondClockWait> condClockWait{"pthread_cond_clockwait", nullptr};
Next<OneHandle> semWait{"sem_wait", nullptr}, semTryWait{"sem_trywait", nullptr};
Next<HandleAndTime> semTimedWait{"sem_timedwait", nullptr};
Next<HandleClockAndTime> semClockWait{"sem_clockwait", nullptr};
Next<Nanosleep> nanosleepCall{"nanosleep", nullptr};
Next<ClockNanosleep> clockNanosleep{"clock_nanosleep", nullptr};
Next<Usleep> usleepCall{"usleep", nullptr};
Next<Yield> yieldCall{"sched_yield", nullptr};
Next<Syscall> syscallCall{"syscall", nullptr};

__attribute__((constructor)) void ResolveAll() {
  *mutexLock, *mutexTryLock, *mutexUnlock, *mutexTimedLock, *mutexClockLock;
  *readLock, *writeLock, *tryReadLock, *tryWriteLock, *rwUnlock;
  *timedReadLock, *timedWriteLock, *clockReadLock, *clockWriteLock;
  *spinLock, *spinTryLock, *spinUnlock;
  *condWait, *condTimedWait, *condClockWait, *semWait, *semTryWait, *semTimedWait, *semClockWait;
  *nanosleepCall, *clockNanosleep, *usleepCall, *yieldCall, *syscallCall;
}

int Blocking(int result) {
  if (tWatching) ++tCounts.blockingLocks;
  if (result == 0) ++tHeld;
  return result;
}
int Trying(int result) {
  if (tWatching) {
    ++tCounts.tryLocks;
    if (result != 0) ++tCounts.failedTryLocks;
  }
  if (result == 0) ++tHeld;
  return result;
}
int Released(int result) {
  if (result == 0) --tHeld;
  return result;
}
void Waiting() {
  if (tWatching) ++tCounts.waits;
}

bool IsFutexWait(int operation) {
  switch (operation & FUTEX_CMD_MASK) {
    case FUTEX_WAIT:
    case FUTEX_WAIT_BITSET:
    case FUTEX_WAIT_REQUEUE_PI:
      return true;
    default:
      return false;
  }
}
bool IsFutexLock(int operation) {
  const int command = operation & FUTEX_CMD_MASK;
  return command == FUTEX_LOCK_PI || command == FUTEX_LOCK_PI2;
}

}  // namespace

// The build hides symbols by default; these must reach the C++ library too.
#pragma GCC visibility push(default)
extern "C" {

int pthread_mutex_lock(void* mutex) { return Blocking((*mutexLock)(mutex)); }
int pthread_mutex_timedlock(void* mutex, const void* until) { return Blocking((*mutexTimedLock)(mutex, until)); }
int pthread_mutex_clocklock(void* mutex, int clock, const void* until) {
  return Blocking((*mutexClockLock)(mutex, clock, until));
}
int pthread_mutex_trylock(void* mutex) { return Trying((*mutexTryLock)(mutex)); }
int pthread_mutex_unlock(void* mutex) { return Released((*mutexUnlock)(mutex)); }

int pthread_rwlock_rdlock(void* lock) { return Blocking((*readLock)(lock)); }
int pthread_rwlock_wrlock(void* lock) { return Blocking((*writeLock)(lock)); }
int pthread_rwlock_timedrdlock(void* lock, const void* until) { return Blocking((*timedReadLock)(lock, until)); }
int pthread_rwlock_timedwrlock(void* lock, const void* until) { return Blocking((*timedWriteLock)(lock, until)); }
int pthread_rwlock_clockrdlock(void* lock, int clock, const void* until) {
  return Blocking((*clockReadLock)(lock, clock, until));
}
int pthread_rwlock_clockwrlock(void* lock, int clock, const void* until) {
  return Blocking((*clockWriteLock)(lock, clock, until));
}
int pthread_rwlock_tryrdlock(void* lock) { return Trying((*tryReadLock)(lock)); }
int pthread_rwlock_trywrlock(void* lock) { return Trying((*tryWriteLock)(lock)); }
int pthread_rwlock_unlock(void* lock) { return Released((*rwUnlock)(lock)); }

int pthread_spin_lock(void* lock) { return Blocking((*spinLock)(lock)); }
int pthread_spin_trylock(void* lock) { return Trying((*spinTryLock)(lock)); }
int pthread_spin_unlock(void* lock) { return Released((*spinUnlock)(lock)); }

int pthread_cond_wait(void* condition, void* mutex) {
  Waiting();
  return (*condWait)(condition, mutex);
}
int pthread_cond_timedwait(void* condition, void* mutex, const void* until) {
  Waiting();
  return (*condTimedWait)(condition, mutex, until);
}
int pthread_cond_clockwait(void* condition, void* mutex, int clock, const void* until) {
  Waiting();
  return (*condClockWait)(condition, mutex, clock, until);
}

int sem_wait(void* semaphore) {
  Waiting();
  return (*semWait)(semaphore);
}
int sem_timedwait(void* semaphore, const void* until) {
  Waiting();
  return (*semTimedWait)(semaphore, until);
}
int sem_clockwait(void* semaphore, int clock, const void* until) {
  Waiting();
  return (*semClockWait)(semaphore, clock, until);
}
int sem_trywait(void* semaphore) {
  const int result = (*semTryWait)(semaphore);
  if (tWatching) {
    ++tCounts.tryLocks;
    if (result != 0) ++tCounts.failedTryLocks;
  }
  return result;
}

int nanosleep(const void* duration, void* remaining) {
  Waiting();
  return (*nanosleepCall)(duration, remaining);
}
int clock_nanosleep(int clock, int flags, const void* duration, void* remaining) {
  Waiting();
  return (*clockNanosleep)(clock, flags, duration, remaining);
}
int usleep(unsigned microseconds) {
  Waiting();
  return (*usleepCall)(microseconds);
}
int sched_yield() {
  Waiting();
  return (*yieldCall)();
}

// The C++ library waits on futexes through here (static locals being
// initialised by another thread, atomic waits).
long syscall(long number, ...) {
  va_list arguments;
  va_start(arguments, number);
  long a[6];
  for (long& argument : a) argument = va_arg(arguments, long);
  va_end(arguments);
  if (tWatching && number == SYS_futex) {
    if (IsFutexLock(int(a[1]))) ++tCounts.blockingLocks;
    else if (IsFutexWait(int(a[1]))) ++tCounts.waits;
  }
#ifdef SYS_futex_waitv
  if (tWatching && number == SYS_futex_waitv) ++tCounts.waits;
#endif
  return (*syscallCall)(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}

}  // extern "C"
#pragma GCC visibility pop

namespace bench {

void StartLockWatch() {
  tCounts = {};
  tWatching = true;
}

LockCounts StopLockWatch() {
  tWatching = false;
  return tCounts;
}

int LocksHeldByThisThread() { return tHeld; }

}  // namespace bench
