#include "X11Process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

extern char** environ;

namespace x11 {
namespace {

std::mutex launchedMutex;
std::vector<pid_t> launched;  // running programs LaunchProgram did not wait for

// Starts argv with its standard output on `outputFd` (or /dev/null when -1)
// and its standard error on /dev/null; 0 when it cannot start.
pid_t Spawn(const std::vector<std::string>& argv, int outputFd) {
  if (argv.empty()) return 0;
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (outputFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
  else
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : 0;
}

// The exit code of a status from waitpid, -1 when it did not exit normally.
int ExitCode(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

}  // namespace

bool FoundOnPath(const char* program) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string folders = path;
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = end > start ? folders.substr(start, end - start) : ".";
    const std::string file = folder + "/" + program;
    struct stat info;
    if (stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(file.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

ProgramResult RunProgram(const std::vector<std::string>& argv, int waitFd, const std::function<void()>& onWait) {
  ProgramResult result;
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return result;
  const pid_t pid = Spawn(argv, pipeFds[1]);
  close(pipeFds[1]);
  if (!pid) {
    close(pipeFds[0]);
    return result;
  }
  result.started = true;
  for (;;) {
    if (onWait) onWait();  // events already queued by the connection
    pollfd fds[2] = {{pipeFds[0], POLLIN, 0}, {waitFd, POLLIN, 0}};
    const int ready = poll(fds, waitFd >= 0 ? 2 : 1, 100);
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0 || !(fds[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    char buffer[1024];
    const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the program closed its output: it is ending
    result.output.append(buffer, static_cast<std::size_t>(n));
  }
  close(pipeFds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exitCode = ExitCode(status);
  return result;
}

bool LaunchProgram(const std::vector<std::string>& argv, int waitMs) {
  ReapLaunchedPrograms();
  const pid_t pid = Spawn(argv, -1);
  if (!pid) return false;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return ExitCode(status) == 0;
    // A host that ignores SIGCHLD has its children reaped by the system.
    if (done < 0 && errno != EINTR) return true;
    if (std::chrono::steady_clock::now() >= end) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::lock_guard<std::mutex> lock(launchedMutex);
  launched.push_back(pid);
  return true;
}

void ReapLaunchedPrograms() {
  std::lock_guard<std::mutex> lock(launchedMutex);
  for (std::size_t i = 0; i < launched.size();) {
    int status = 0;
    const pid_t done = waitpid(launched[i], &status, WNOHANG);
    if (done == 0 || (done < 0 && errno == EINTR)) {
      ++i;
      continue;
    }
    launched.erase(launched.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

}  // namespace x11
