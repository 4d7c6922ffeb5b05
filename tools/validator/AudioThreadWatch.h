// Counts what the plug-in does on the thread that watches itself: memory
// allocation, mutex locks and file I/O, leaving out the host's callback.
#pragma once

#include <cstdint>

namespace validator {

struct AudioThreadCounts {
  std::int64_t allocations = 0;
  std::int64_t frees = 0;
  std::int64_t locks = 0;
  std::int64_t fileCalls = 0;
};

// False where the calls cannot be interposed (Windows, sanitizer builds).
bool AudioThreadWatchAvailable();
// Starts counting on the calling thread; Stop returns what was counted since.
void StartAudioThreadWatch();
AudioThreadCounts StopAudioThreadWatch();

}  // namespace validator
