// The executable's own malloc, free, operator new and delete,
// pthread_mutex_lock and a few file calls: a plug-in loaded into it calls
// these, and the thread being watched counts them. Kept free of the C
// library's headers so that these definitions are the only declarations.
#include <dlfcn.h>

#include <cstddef>
#include <new>

#include "AudioThreadWatch.h"

namespace validator {
bool HostCallbackActive();
}

namespace {

thread_local bool tWatching = false;
thread_local validator::AudioThreadCounts tCounts;

inline bool Counting() { return tWatching && !validator::HostCallbackActive(); }

template <typename Function>
Function Next(const char* name) {
  // dlsym may allocate, which must not count against the plug-in.
  bool watching = tWatching;
  tWatching = false;
  auto function = reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
  tWatching = watching;
  return function;
}

using LockFunction = int (*)(void*);
using OpenFunction = int (*)(const char*, int, unsigned);
using ReadFunction = long (*)(int, void*, std::size_t);
using WriteFunction = long (*)(int, const void*, std::size_t);
using FopenFunction = void* (*)(const char*, const char*);

LockFunction realLock;
OpenFunction realOpen, realOpen64;
ReadFunction realRead;
WriteFunction realWrite;
FopenFunction realFopen, realFopen64;

// Resolved before any plug-in runs; the calls below resolve late only when
// a library's constructor comes first.
__attribute__((constructor)) void ResolveNext() {
  realLock = Next<LockFunction>("pthread_mutex_lock");
  realOpen = Next<OpenFunction>("open");
  realOpen64 = Next<OpenFunction>("open64");
  realRead = Next<ReadFunction>("read");
  realWrite = Next<WriteFunction>("write");
  realFopen = Next<FopenFunction>("fopen");
  realFopen64 = Next<FopenFunction>("fopen64");
}

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
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept {
  if (Counting()) ++tCounts.allocations;
  return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) noexcept {
  if (Counting()) ++tCounts.allocations;
  return __libc_realloc(block, size);
}
void free(void* block) noexcept {
  if (block && Counting()) ++tCounts.frees;
  __libc_free(block);
}

int pthread_mutex_lock(void* mutex) {
  if (Counting()) ++tCounts.locks;
  if (!realLock) realLock = Next<LockFunction>("pthread_mutex_lock");
  return realLock(mutex);
}

int open(const char* path, int flags, unsigned mode) {
  if (Counting()) ++tCounts.fileCalls;
  if (!realOpen) realOpen = Next<OpenFunction>("open");
  return realOpen(path, flags, mode);
}
int open64(const char* path, int flags, unsigned mode) {
  if (Counting()) ++tCounts.fileCalls;
  if (!realOpen64) realOpen64 = Next<OpenFunction>("open64");
  return realOpen64(path, flags, mode);
}
long read(int file, void* buffer, std::size_t size) {
  if (Counting()) ++tCounts.fileCalls;
  if (!realRead) realRead = Next<ReadFunction>("read");
  return realRead(file, buffer, size);
}
long write(int file, const void* buffer, std::size_t size) {
  if (Counting()) ++tCounts.fileCalls;
  if (!realWrite) realWrite = Next<WriteFunction>("write");
  return realWrite(file, buffer, size);
}
void* fopen(const char* path, const char* mode) {
  if (Counting()) ++tCounts.fileCalls;
  if (!realFopen) realFopen = Next<FopenFunction>("fopen");
  return realFopen(path, mode);
}
void* fopen64(const char* path, const char* mode) {
  if (Counting()) ++tCounts.fileCalls;
  if (!realFopen64) realFopen64 = Next<FopenFunction>("fopen64");
  return realFopen64(path, mode);
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

}  // namespace validator
