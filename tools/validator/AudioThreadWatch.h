// Counts what the plug-in does on the thread that watches itself: memory
// allocation, file I/O, locks that wait, waits and try-locks, leaving out
// the host's callback. The same thread can also have the memory it
// allocates end at a guard page, so that writing past a buffer faults.
#pragma once

#include <cstdint>

namespace validator {

struct AudioThreadCounts {
  std::int64_t allocations = 0;
  std::int64_t frees = 0;
  std::int64_t fileCalls = 0;
  std::int64_t locks = 0;     // calls that wait while another thread holds the lock
  std::int64_t waits = 0;     // condition variables, semaphores, sleeps, polls, joins, futexes
  std::int64_t tryLocks = 0;  // give up instead of waiting: allowed
  // The first few places that lock or wait: the function called and the
  // address it returns to, each place once.
  static constexpr int kPlaces = 4;
  int placeCount = 0;
  const char* blockingCalls[kPlaces] = {};
  const void* blockingCallers[kPlaces] = {};

  // Adds what `block` counted, places included, to these counts.
  void Add(const AudioThreadCounts& block) {
    allocations += block.allocations;
    frees += block.frees;
    fileCalls += block.fileCalls;
    locks += block.locks;
    waits += block.waits;
    tryLocks += block.tryLocks;
    for (int i = 0; i < block.placeCount; ++i) NotePlace(block.blockingCalls[i], block.blockingCallers[i]);
  }

  // Adds a place unless it is known or there is no more room.
  void NotePlace(const char* call, const void* caller) {
    for (int i = 0; i < placeCount; ++i)
      if (blockingCallers[i] == caller) return;
    if (placeCount == kPlaces) return;
    blockingCalls[placeCount] = call;
    blockingCallers[placeCount++] = caller;
  }
};

// False where the calls cannot be interposed (Windows, sanitizer builds).
bool AudioThreadWatchAvailable();
// Starts counting on the calling thread; Stop returns what was counted since.
void StartAudioThreadWatch();
AudioThreadCounts StopAudioThreadWatch();

// While on, the calling thread's allocations end where an inaccessible page
// begins (at most a few thousand of them); false where this cannot be done.
bool GuardPagesAvailable();
void SetGuardPages(bool on);

}  // namespace validator
