// Loading shared libraries at run time: plug-ins in the host tools, the
// tuning library in the plug-in.
#pragma once

#include <string>

namespace platform {

struct DynamicLibrary {
  void* handle = nullptr;
};

// Opens the library at `path`; on failure returns an empty handle and
// describes why in `error` (when given).
DynamicLibrary OpenLibrary(const std::string& path, std::string* error = nullptr);
void* FindSymbol(const DynamicLibrary& library, const char* name);
void CloseLibrary(DynamicLibrary& library);

}  // namespace platform
