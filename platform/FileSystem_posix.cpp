#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace platform {

const char kPathSeparator = '/';

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == kPathSeparator) return folder + name;
  return folder + kPathSeparator + name;
}

bool FileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CreateFolder(const std::string& path) { return mkdir(path.c_str(), 0755) == 0 || FolderExists(path); }

bool CreateEmptyFile(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd >= 0) {
    close(fd);
    return true;
  }
  return FileExists(path);
}

bool ReadWholeFile(const std::string& path, std::size_t maximumBytes, std::string& bytes) {
  bytes.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  bool ok =
      fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<unsigned long long>(info.st_size) <= maximumBytes;
  if (ok) {
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
      const ssize_t got = read(fd, &bytes[done], bytes.size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0)
        ok = false;  // the file shrank or cannot be read
      else
        done += static_cast<std::size_t>(got);
    }
  }
  close(fd);
  if (!ok) bytes.clear();
  return ok;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
  // Named for the process and the call: two instances of one process saving
  // the same file at once must not write into one temporary file.
  static std::atomic<unsigned> calls{0};
  const std::string temporary = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(calls.fetch_add(1));
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = true;
  std::size_t done = 0;
  while (ok && done < bytes.size()) {
    const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0)
      ok = false;
    else
      done += static_cast<std::size_t>(put);
  }
  ok = fsync(fd) == 0 && ok;
  ok = close(fd) == 0 && ok;
  if (ok) ok = rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}

}  // namespace platform
