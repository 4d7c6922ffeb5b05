// Files and folders as the plug-in uses them: whole files read into memory
// with a size limit, and files replaced only by a complete new copy.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The separator of paths on this system.
extern const char kPathSeparator;

// `folder` and `name` joined with the system's separator.
std::string JoinPath(const std::string& folder, const std::string& name);

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// Creates one folder level; true when it exists afterwards.
bool CreateFolder(const std::string& path);
// Creates an empty file when none is there; true when the file exists afterwards.
bool CreateEmptyFile(const std::string& path);

// Reads the whole file into `bytes`. False when it cannot be opened or read,
// or holds more than `maximumBytes` (then nothing of it is read).
bool ReadWholeFile(const std::string& path, std::size_t maximumBytes, std::string& bytes);

// Writes `bytes` to a new file beside `path` and renames it over `path` only
// when every byte is on disk, so a failed write never damages the old file.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace platform
