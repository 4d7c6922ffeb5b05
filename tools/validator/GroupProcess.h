// Each group of checks runs in a process of its own, watched by the
// validator's first process: a plug-in that crashes is reported as the
// failure of the check it crashed in, and one that hangs as the failure of the
// check that did not finish, instead of ending or stalling the whole run.
#pragma once

#include <string>

#include "Validator.h"

namespace validator {

using GroupFunction = void (*)(const Options& options, Report& report);

struct GroupOutcome {
  Progress progress;  // as the group's process left it
  enum End { kFinished, kCrashed, kTimedOut } end = kFinished;
  std::string how;  // for a crash: the signal, exception or exit status
};

// Runs `run` (the group `name`) in a process of its own and waits for it at
// most `seconds`; a process still running then is ended.
GroupOutcome RunInOwnProcess(const Options& options, const char* name, GroupFunction run, double seconds);

// In a group's process that the platform started afresh (Windows): the
// record the parent reads, from the --progress value it passed.
Progress* ParentsProgress(const std::string& value);

}  // namespace validator
