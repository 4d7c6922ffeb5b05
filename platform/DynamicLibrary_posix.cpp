#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

namespace platform {

DynamicLibrary OpenLibrary(const std::string& path, std::string* error) {
  DynamicLibrary library;
  // RTLD_LOCAL keeps two plug-ins' private symbols from meeting.
  library.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library.handle && error) {
    const char* why = dlerror();
    *error = why ? why : "cannot load library";
  }
  return library;
}

void* FindSymbol(const DynamicLibrary& library, const char* name) {
  if (!library.handle) return nullptr;
  return dlsym(library.handle, name);
}

void CloseLibrary(DynamicLibrary& library) {
  if (library.handle) dlclose(library.handle);
  library.handle = nullptr;
}

}  // namespace platform
