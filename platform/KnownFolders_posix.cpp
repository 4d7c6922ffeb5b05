#include "platform/KnownFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/FileSystem.h"

namespace platform {

namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return "";
}

// XDG base directories must be absolute; anything else is ignored.
std::string AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value && value[0] == '/' ? value : "";
}

// XDG_DOCUMENTS_DIR from user-dirs.dirs: a line XDG_DOCUMENTS_DIR="$HOME/Documents".
std::string DocumentsFromUserDirs(const std::string& configFolder, const std::string& home) {
  std::string text;
  if (!ReadWholeFile(JoinPath(configFolder, "user-dirs.dirs"), 64 * 1024, text)) return "";
  const std::string key = "XDG_DOCUMENTS_DIR=";
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.compare(0, key.size(), key) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
    if (value.empty() || value[0] != '/' || value == home || value == home + "/") return "";
    return value;
  }
  return "";
}

}  // namespace

std::string ConfigurationFolder() {
  std::string folder = AbsoluteFromEnvironment("XDG_CONFIG_HOME");
  if (!folder.empty()) return folder;
  const std::string home = HomeFolder();
  return home.empty() ? "" : JoinPath(home, ".config");
}

std::string DocumentsFolder() {
  const std::string home = HomeFolder();
  const std::string config = ConfigurationFolder();
  std::string documents = config.empty() ? "" : DocumentsFromUserDirs(config, home);
  if (documents.empty() && !home.empty() && FolderExists(JoinPath(home, "Documents")))
    documents = JoinPath(home, "Documents");
  return documents.empty() || !FolderExists(documents) ? home : documents;
}

}  // namespace platform
