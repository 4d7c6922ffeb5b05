// What the desktop around the editor provides: its folders and the program
// that opens web pages.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "X11Editor.h"
#include "X11Process.h"
#include "platform/FileSystem.h"
#include "platform/KnownFolders.h"
#include "plugin/Text.h"

namespace {

// The folder of a file path, separator included; "" when it has none.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos || slash + 1 == path.size() ? "" : path.substr(0, slash + 1);
}

void CopyPath(char* out, const std::string& path) { CopyText(out, path.c_str(), kPathLength); }

// XDG_DESKTOP_DIR of user-dirs.dirs (a line XDG_DESKTOP_DIR="$HOME/Desktop"),
// else ~/Desktop.
std::string DesktopFolder() {
  const char* homeVariable = std::getenv("HOME");
  const std::string home = homeVariable ? homeVariable : "";
  std::string text;
  const std::string config = platform::ConfigurationFolder();
  if (!config.empty() && platform::ReadWholeFile(platform::JoinPath(config, "user-dirs.dirs"), 64 * 1024, text)) {
    const std::string key = "XDG_DESKTOP_DIR=\"";
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
      if (at > 0 && text[at - 1] != '\n') continue;
      const std::size_t start = at + key.size(), end = text.find('"', start);
      if (end == std::string::npos) break;
      std::string value = text.substr(start, end - start);
      if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
      if (!value.empty() && value[0] == '/') return value;
    }
  }
  return home.empty() ? "" : platform::JoinPath(home, "Desktop");
}

}  // namespace

void X11Editor::GetHostFolder(char* out) {
  char path[kPathLength];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  CopyPath(out, length > 0 ? FolderOf(std::string(path, static_cast<std::size_t>(length))) : "");
}

void X11Editor::GetPluginFolder(char* out) {
  // The shared object holding this code, as the loader found it.
  Dl_info info{};
  const bool found = dladdr(reinterpret_cast<void*>(&DesktopFolder), &info) && info.dli_fname;
  CopyPath(out, found ? FolderOf(info.dli_fname) : "");
}

void X11Editor::GetDesktopFolder(char* out) { CopyPath(out, DesktopFolder()); }

void X11Editor::GetAppDataFolder(char* out, bool allUsers) {
  if (!allUsers) return CopyPath(out, platform::ConfigurationFolder());
  // The first of the system-wide configuration folders.
  const char* dirs = std::getenv("XDG_CONFIG_DIRS");
  std::string first = dirs ? std::string(dirs).substr(0, std::string(dirs).find(':')) : "";
  CopyPath(out, !first.empty() && first[0] == '/' ? first : "/etc/xdg");
}

bool X11Editor::LaunchUrl(const char* url) {
  // The opener usually hands the page to a running browser and exits at
  // once; one that stays is left to run and reaped later.
  return url && url[0] && x11::LaunchProgram({"xdg-open", url}, 2000);
}
