// The executable's own malloc, free, operator new and delete, the calls
// that lock or wait (pthread, C11 threads, semaphores, sleeps, polls,
// futexes) and a few file calls: a plug-in loaded into it calls these, and
// the thread being watched counts them. Kept free of the C library's headers
// so that these definitions are the only declarations.
#include <dlfcn.h>

#include <cstdarg>
#include <cstddef>
#include <new>

#include "AudioThreadWatch.h"
#include "GuardedMemory.h"

namespace validator {
bool HostCallbackActive();
}

namespace {

enum Kind { kLock, kWait, kTryLock, kFile };

// Every watched call but the variadic syscall: its kind, its type and name,
// its parameters and how it passes them on.
#define KESTRION_WATCHED_CALLS(CALL)                                                                              \
  CALL(kLock, int, pthread_mutex_lock, (void* m), (m))                                                            \
  CALL(kLock, int, pthread_mutex_timedlock, (void* m, const void* t), (m, t))                                     \
  CALL(kLock, int, pthread_mutex_clocklock, (void* m, int c, const void* t), (m, c, t))                           \
  CALL(kLock, int, pthread_rwlock_rdlock, (void* l), (l))                                                         \
  CALL(kLock, int, pthread_rwlock_wrlock, (void* l), (l))                                                         \
  CALL(kLock, int, pthread_rwlock_timedrdlock, (void* l, const void* t), (l, t))                                  \
  CALL(kLock, int, pthread_rwlock_timedwrlock, (void* l, const void* t), (l, t))                                  \
  CALL(kLock, int, pthread_rwlock_clockrdlock, (void* l, int c, const void* t), (l, c, t))                        \
  CALL(kLock, int, pthread_rwlock_clockwrlock, (void* l, int c, const void* t), (l, c, t))                        \
  CALL(kLock, int, pthread_spin_lock, (void* l), (l))                                                             \
  CALL(kLock, int, mtx_lock, (void* m), (m))                                                                      \
  CALL(kLock, int, mtx_timedlock, (void* m, const void* t), (m, t))                                               \
  CALL(kWait, int, pthread_cond_wait, (void* c, void* m), (c, m))                                                 \
  CALL(kWait, int, pthread_cond_timedwait, (void* c, void* m, const void* t), (c, m, t))                          \
  CALL(kWait, int, pthread_cond_clockwait, (void* c, void* m, int k, const void* t), (c, m, k, t))                \
  CALL(kWait, int, cnd_wait, (void* c, void* m), (c, m))                                                          \
  CALL(kWait, int, cnd_timedwait, (void* c, void* m, const void* t), (c, m, t))                                   \
  CALL(kWait, int, sem_wait, (void* s), (s))                                                                      \
  CALL(kWait, int, sem_timedwait, (void* s, const void* t), (s, t))                                               \
  CALL(kWait, int, sem_clockwait, (void* s, int c, const void* t), (s, c, t))                                     \
  CALL(kWait, int, pthread_barrier_wait, (void* b), (b))                                                          \
  CALL(kWait, int, pthread_join, (unsigned long t, void** r), (t, r))                                             \
  CALL(kWait, int, pthread_timedjoin_np, (unsigned long t, void** r, const void* w), (t, r, w))                   \
  CALL(kWait, int, pthread_clockjoin_np, (unsigned long t, void** r, int c, const void* w), (t, r, c, w))         \
  CALL(kWait, int, thrd_join, (unsigned long t, int* r), (t, r))                                                  \
  CALL(kWait, int, thrd_sleep, (const void* d, void* r), (d, r))                                                  \
  CALL(kWait, int, nanosleep, (const void* d, void* r), (d, r))                                                   \
  CALL(kWait, int, clock_nanosleep, (int c, int f, const void* d, void* r), (c, f, d, r))                         \
  CALL(kWait, int, usleep, (unsigned d), (d))                                                                     \
  CALL(kWait, unsigned, sleep, (unsigned d), (d))                                                                 \
  CALL(kWait, int, poll, (void* f, unsigned long n, int t), (f, n, t))                                            \
  CALL(kWait, int, ppoll, (void* f, unsigned long n, const void* t, const void* s), (f, n, t, s))                 \
  CALL(kWait, int, select, (int n, void* r, void* w, void* e, void* t), (n, r, w, e, t))                          \
  CALL(kWait, int, pselect, (int n, void* r, void* w, void* e, const void* t, const void* s), (n, r, w, e, t, s)) \
  CALL(kWait, int, epoll_wait, (int e, void* v, int n, int t), (e, v, n, t))                                      \
  CALL(kWait, int, epoll_pwait, (int e, void* v, int n, int t, const void* s), (e, v, n, t, s))                   \
  CALL(kTryLock, int, pthread_mutex_trylock, (void* m), (m))                                                      \
  CALL(kTryLock, int, pthread_rwlock_tryrdlock, (void* l), (l))                                                   \
  CALL(kTryLock, int, pthread_rwlock_trywrlock, (void* l), (l))                                                   \
  CALL(kTryLock, int, pthread_spin_trylock, (void* l), (l))                                                       \
  CALL(kTryLock, int, mtx_trylock, (void* m), (m))                                                                \
  CALL(kTryLock, int, sem_trywait, (void* s), (s))                                                                \
  CALL(kFile, int, open, (const char* p, int f, unsigned m), (p, f, m))                                           \
  CALL(kFile, int, open64, (const char* p, int f, unsigned m), (p, f, m))                                         \
  CALL(kFile, long, read, (int d, void* b, std::size_t n), (d, b, n))                                             \
  CALL(kFile, long, write, (int d, const void* b, std::size_t n), (d, b, n))                                      \
  CALL(kFile, void*, fopen, (const char* p, const char* m), (p, m))                                               \
  CALL(kFile, void*, fopen64, (const char* p, const char* m), (p, m))

#define KESTRION_CALL_INDEX(kind, Result, name, Parameters, Arguments) kCall_##name,
#define KESTRION_CALL_NAME(kind, Result, name, Parameters, Arguments) #name,
enum CallIndex { KESTRION_WATCHED_CALLS(KESTRION_CALL_INDEX) kCall_syscall, kCallCount };
const char* const kCallNames[kCallCount] = {KESTRION_WATCHED_CALLS(KESTRION_CALL_NAME) "syscall"};

thread_local bool tWatching = false;
thread_local bool tGuarding = false;
thread_local validator::AudioThreadCounts tCounts;
void* gReal[kCallCount];

inline bool Counting() { return tWatching && !validator::HostCallbackActive(); }

void* Next(const char* name) {
  // dlsym may allocate, which must not count against the plug-in.
  bool watching = tWatching;
  tWatching = false;
  void* function = dlsym(RTLD_NEXT, name);
  tWatching = watching;
  return function;
}

// Resolved before any plug-in runs; a call resolves late only when a
// library's constructor comes first.
__attribute__((constructor)) void ResolveNext() {
  for (int i = 0; i < kCallCount; ++i) gReal[i] = Next(kCallNames[i]);
}

void* Real(CallIndex index) {
  if (!gReal[index]) gReal[index] = Next(kCallNames[index]);
  return gReal[index];
}

void Note(Kind kind, const char* call, const void* caller) {
  if (!Counting()) return;
  validator::AudioThreadCounts& counts = tCounts;
  switch (kind) {
    case kLock: ++counts.locks; break;
    case kWait: ++counts.waits; break;
    case kTryLock: ++counts.tryLocks; return;
    case kFile: ++counts.fileCalls; return;
  }
  counts.NotePlace(call, caller);
}

// Linux x86-64's futex system call and the operations of it that wait.
constexpr long kFutexCall = 202, kFutexWaitvCall = 449;
constexpr long kFutexCommand = 127;
constexpr long kFutexWait = 0, kFutexLockPi = 6, kFutexTryLockPi = 8, kFutexWaitBitset = 9, kFutexWaitRequeuePi = 11,
               kFutexLockPi2 = 13;

}  // namespace

// The build hides symbols by default; these must reach the plug-in.
#pragma GCC visibility push(default)
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void __libc_free(void* block);

void* malloc(std::size_t size) noexcept {
  if (Counting()) ++tCounts.allocations;
  if (tGuarding)
    if (void* block = validator::GuardedAllocate(size)) return block;
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept {
  if (Counting()) ++tCounts.allocations;
  if (tGuarding && (size == 0 || count <= static_cast<std::size_t>(-1) / size))
    if (void* block = validator::GuardedAllocate(count * size)) return block;
  return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) noexcept {
  if (Counting()) ++tCounts.allocations;
  std::size_t old = 0;
  if (block && validator::FindGuarded(block, &old)) {
    void* moved = tGuarding ? validator::GuardedAllocate(size) : nullptr;
    if (!moved) moved = __libc_malloc(size);
    if (!moved) return nullptr;
    __builtin_memcpy(moved, block, old < size ? old : size);
    validator::GuardedRelease(block);
    return moved;
  }
  if (tGuarding && !block)
    if (void* fresh = validator::GuardedAllocate(size)) return fresh;
  return __libc_realloc(block, size);
}
void free(void* block) noexcept {
  if (block && Counting()) ++tCounts.frees;
  if (block && validator::GuardedRelease(block)) return;
  __libc_free(block);
}

#define KESTRION_WATCHED_DEFINITION(kind, Result, name, Parameters, Arguments)   \
  Result name Parameters {                                                       \
    Note(kind, #name, __builtin_return_address(0));                              \
    return reinterpret_cast<Result(*) Parameters>(Real(kCall_##name)) Arguments; \
  }
KESTRION_WATCHED_CALLS(KESTRION_WATCHED_DEFINITION)

long syscall(long number, ...) {
  std::va_list list;
  va_start(list, number);
  long a[6];
  for (long& argument : a) argument = va_arg(list, long);
  va_end(list);
  if (number == kFutexCall) {
    const long operation = a[1] & kFutexCommand;
    if (operation == kFutexTryLockPi)
      Note(kTryLock, "syscall(SYS_futex)", __builtin_return_address(0));
    else if (operation == kFutexWait || operation == kFutexWaitBitset || operation == kFutexLockPi ||
             operation == kFutexLockPi2 || operation == kFutexWaitRequeuePi)
      Note(kWait, "syscall(SYS_futex)", __builtin_return_address(0));
  } else if (number == kFutexWaitvCall) {
    Note(kWait, "syscall(SYS_futex_waitv)", __builtin_return_address(0));
  }
  using Function = long (*)(long, long, long, long, long, long, long);
  return reinterpret_cast<Function>(Real(kCall_syscall))(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}
}  // extern "C"

// operator new and delete go through malloc and free above, so they count
// there once.
void* operator new(std::size_t size) {
  if (void* block = malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { free(block); }
void operator delete[](void* block) noexcept { free(block); }
void operator delete(void* block, std::size_t) noexcept { free(block); }
void operator delete[](void* block, std::size_t) noexcept { free(block); }
#pragma GCC visibility pop

namespace validator {

bool AudioThreadWatchAvailable() { return true; }

void StartAudioThreadWatch() {
  tCounts = {};
  tWatching = true;
}

AudioThreadCounts StopAudioThreadWatch() {
  tWatching = false;
  return tCounts;
}

bool GuardPagesAvailable() { return true; }
void SetGuardPages(bool on) { tGuarding = on; }

}  // namespace validator
