#include "platform/DynamicLibrary.h"

#include <windows.h>

#include <cstdio>

namespace platform {

DynamicLibrary OpenLibrary(const std::string& path, std::string* error) {
  DynamicLibrary library;
  library.handle = reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
  if (!library.handle && error) {
    char text[64];
    std::snprintf(text, sizeof text, "cannot load library (error %lu)", static_cast<unsigned long>(GetLastError()));
    *error = text;
  }
  return library;
}

void* FindSymbol(const DynamicLibrary& library, const char* name) {
  if (!library.handle) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library.handle), name));
}

void CloseLibrary(DynamicLibrary& library) {
  if (library.handle) FreeLibrary(static_cast<HMODULE>(library.handle));
  library.handle = nullptr;
}

}  // namespace platform
