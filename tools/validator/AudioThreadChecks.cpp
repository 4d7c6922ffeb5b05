// What the plug-in does on the audio thread during effProcessEvents and the
// process calls, once the first blocks (where lazy set-up is tolerated) are
// past: no allocation, no file I/O, no lock that waits and no wait.
#include <cstdio>
#include <string>

#include "AudioThreadWatch.h"
#include "CallerName.h"
#include "Validator.h"

namespace validator {

void CheckAudioThread(const Options& options, Report& report) {
  report.Begin("audiothread.memory");
  if (!AudioThreadWatchAvailable()) {
    report.Skip("audiothread.calls", "calls cannot be interposed in this build");
    return;
  }
  std::string error;
  auto instance = OpenInstance(options.plugin, 48000, 1024, &error);
  if (!instance) {
    report.Fail("audiothread.calls", error);
    return;
  }
  const int keys[4] = {45, 57, 64, 69};
  SendNotes(*instance, keys, 4, 100);
  for (int block = 0; block < 8; ++block) ProcessFloat(*instance, 1024);
  SendNotes(*instance, keys, 4, 0);
  for (int block = 0; block < 8; ++block) ProcessFloat(*instance, 1024);

  const int blocks = options.quick ? 200 : 2000;
  AudioThreadCounts total;
  for (int block = 0; block < blocks; ++block) {
    StartAudioThreadWatch();
    if (block % 16 == 0) SendNotes(*instance, &keys[block / 16 % 4], 1, 90);
    if (block % 16 == 8) SendNotes(*instance, &keys[block / 16 % 4], 1, 0);
    ProcessFloat(*instance, static_cast<std::int32_t>(64 + block * 37 % 961));
    total.Add(StopAudioThreadWatch());
  }
  char detail[200];
  std::snprintf(detail, sizeof detail, "%d blocks with notes: %lld allocations, %lld frees, %lld file calls", blocks,
                static_cast<long long>(total.allocations), static_cast<long long>(total.frees),
                static_cast<long long>(total.fileCalls));
  if (total.allocations + total.frees > 0)
    report.Fail("audiothread.memory", detail);
  else
    report.Pass("audiothread.memory", detail);
  if (total.fileCalls > 0)
    report.Fail("audiothread.io", detail);
  else
    report.Pass("audiothread.io", "no file calls");

  // A lock that waits for another thread, or any other wait, can miss the
  // deadline; a try-lock that gives up cannot.
  std::snprintf(detail, sizeof detail, "%lld locks that wait, %lld waits, %lld try-locks in %d blocks",
                static_cast<long long>(total.locks), static_cast<long long>(total.waits),
                static_cast<long long>(total.tryLocks), blocks);
  if (total.locks + total.waits > 0) {
    std::string places;
    for (int i = 0; i < total.placeCount; ++i)
      places += std::string(i ? ", " : "; ") + total.blockingCalls[i] + " from " + CallerName(total.blockingCallers[i]);
    report.Fail("audiothread.locks", detail + places);
  } else {
    report.Pass("audiothread.locks", detail);
  }
}

}  // namespace validator
