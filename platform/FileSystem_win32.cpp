#include "platform/FileSystem.h"

#include <windows.h>

#include <atomic>

namespace platform {

const char kPathSeparator = '\\';

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '\\' || folder.back() == '/') return folder + name;
  return folder + kPathSeparator + name;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) || FolderExists(path); }

bool CreateEmptyFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return true;
  }
  return FileExists(path);
}

bool ReadWholeFile(const std::string& path, std::size_t maximumBytes, std::string& bytes) {
  bytes.clear();
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool ok = GetFileSizeEx(file, &size) && static_cast<unsigned long long>(size.QuadPart) <= maximumBytes;
  if (ok) {
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
      DWORD got = 0;
      const DWORD want = static_cast<DWORD>(bytes.size() - done > 1u << 30 ? 1u << 30 : bytes.size() - done);
      ok = ReadFile(file, &bytes[done], want, &got, nullptr) && got > 0;
      done += got;
    }
  }
  CloseHandle(file);
  if (!ok) bytes.clear();
  return ok;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
  // Named for the process and the call: two instances of one process saving
  // the same file at once must not write into one temporary file.
  static std::atomic<unsigned> calls{0};
  const std::string temporary =
      path + ".tmp-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(calls.fetch_add(1));
  HANDLE file =
      CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  std::size_t done = 0;
  while (ok && done < bytes.size()) {
    DWORD put = 0;
    const DWORD want = static_cast<DWORD>(bytes.size() - done > 1u << 30 ? 1u << 30 : bytes.size() - done);
    ok = WriteFile(file, bytes.data() + done, want, &put, nullptr) && put > 0;
    done += put;
  }
  ok = FlushFileBuffers(file) && ok;
  ok = CloseHandle(file) && ok;
  if (ok) ok = MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileA(temporary.c_str());
  return ok;
}

}  // namespace platform
