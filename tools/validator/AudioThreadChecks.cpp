// What the plug-in does on the audio thread during effProcessEvents and the
// process calls, once the first blocks (where lazy set-up is tolerated) are
// past: no allocation, no file I/O, few locks.
#include <cstdio>
#include <string>

#include "AudioThreadWatch.h"
#include "Validator.h"

namespace validator {

namespace {
// A plug-in mutex taken once per call, maybe again for events or parameters.
constexpr double kLocksPerBlockAllowed = 4;
}

void CheckAudioThread(const Options& options, Report& report) {
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
    AudioThreadCounts counts = StopAudioThreadWatch();
    total.allocations += counts.allocations;
    total.frees += counts.frees;
    total.locks += counts.locks;
    total.fileCalls += counts.fileCalls;
  }
  char detail[200];
  std::snprintf(detail, sizeof detail,
                "%d blocks with notes: %lld allocations, %lld frees, %lld file calls, %.2f locks per block",
                blocks, static_cast<long long>(total.allocations), static_cast<long long>(total.frees),
                static_cast<long long>(total.fileCalls), static_cast<double>(total.locks) / blocks);
  if (total.allocations + total.frees > 0)
    report.Fail("audiothread.memory", detail);
  else
    report.Pass("audiothread.memory", detail);
  if (total.fileCalls > 0)
    report.Fail("audiothread.io", detail);
  else
    report.Pass("audiothread.io", "no file calls");
  if (static_cast<double>(total.locks) / blocks > kLocksPerBlockAllowed)
    report.Fail("audiothread.locks", detail);
  else
    report.Pass("audiothread.locks", std::to_string(total.locks) + " mutex locks in " + std::to_string(blocks) + " blocks");
}

}  // namespace validator
