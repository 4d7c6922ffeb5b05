// Other programs the editor runs: a desktop file chooser, the desktop's URL
// opener. Started directly (never through a shell), each reaped by its own
// process id so that the host's handling of child processes is undisturbed.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace x11 {

// Whether `program` is an executable file in one of $PATH's folders.
bool FoundOnPath(const char* program);

struct ProgramResult {
  bool started = false;
  int exitCode = -1;   // -1 when it did not exit normally
  std::string output;  // its standard output
};

// Runs argv[0] (searched on $PATH) and collects its standard output until it
// exits. While it runs, `waitFd` becoming readable (the display connection)
// calls `onWait`, so that the caller's window stays painted.
ProgramResult RunProgram(const std::vector<std::string>& argv, int waitFd, const std::function<void()>& onWait);

// Starts argv[0] without collecting anything. True when it exits with 0
// within `waitMs`, or is still running then (it is reaped later, by
// ReapLaunchedPrograms); false when it cannot start or fails.
bool LaunchProgram(const std::vector<std::string>& argv, int waitMs);
// Collects programs LaunchProgram left running that have exited since.
void ReapLaunchedPrograms();

}  // namespace x11
