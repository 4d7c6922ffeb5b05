#include "platform/TuningLibraryPath.h"

#include <windows.h>

namespace platform {

std::string DefaultTuningLibraryPath() {
  char folder[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return "";
  return std::string(folder, length) + "\\LIBMTS.dll";
}

}  // namespace platform
