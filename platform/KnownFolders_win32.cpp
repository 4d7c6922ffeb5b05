#include "platform/KnownFolders.h"

#include <shlobj.h>
#include <windows.h>

namespace platform {

namespace {

std::string ShellFolder(int folder) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
  return path;
}

}  // namespace

std::string ConfigurationFolder() { return ShellFolder(CSIDL_LOCAL_APPDATA); }
std::string DocumentsFolder() { return ShellFolder(CSIDL_PERSONAL); }

}  // namespace platform
