// A forked child per group: it shares the parent's options and a page of
// memory for its progress; the parent waits on a pidfd with the time limit.
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "GroupProcess.h"

namespace validator {

namespace {

// Waits for the child to end, at most `seconds`; false when it is still running.
bool WaitForExit(pid_t child, double seconds) {
  // A descriptor of the process that polls readable when it ends (Linux 5.3).
  int handle = static_cast<int>(syscall(SYS_pidfd_open, child, 0));
  if (handle < 0) return true;  // waitpid below then waits without a limit
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  bool ended = false;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    pollfd watch = {handle, POLLIN, 0};
    int ready = poll(&watch, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
    if (ready > 0) ended = true;
    if (ready >= 0 || errno != EINTR) break;
  }
  close(handle);
  return ended;
}

}  // namespace

GroupOutcome RunInOwnProcess(const Options& options, const char* name, GroupFunction run, double seconds) {
  GroupOutcome outcome;
  void* memory = mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) {
    outcome.end = GroupOutcome::kCrashed;
    outcome.how = "no shared memory for its process";
    return outcome;
  }
  auto* progress = new (memory) Progress;
  std::snprintf(progress->check, sizeof progress->check, "%s", name);

  std::fflush(nullptr);  // or the child would print what is buffered once more
  pid_t child = fork();
  if (child == 0) {
    Report report(*progress);
    run(options, report);
    progress->finished = true;
    std::exit(0);  // static destructors and the sanitizers' exit checks run here
  }
  if (child < 0) {
    outcome.end = GroupOutcome::kCrashed;
    outcome.how = std::string("fork failed: ") + std::strerror(errno);
  } else if (!WaitForExit(child, seconds)) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    outcome.end = GroupOutcome::kTimedOut;
  } else {
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) {
      outcome.end = GroupOutcome::kCrashed;
      outcome.how = std::string("signal ") + std::to_string(WTERMSIG(status)) + ", " + strsignal(WTERMSIG(status));
    } else if (WEXITSTATUS(status) != 0) {
      outcome.end = GroupOutcome::kCrashed;
      outcome.how = "exit status " + std::to_string(WEXITSTATUS(status));
    }
  }
  outcome.progress = *progress;
  munmap(memory, sizeof(Progress));
  return outcome;
}

Progress* ParentsProgress(const std::string&) { return nullptr; }

}  // namespace validator
