// The plug-in module's own resources (the factory bank, the panel images).
// Windows keeps them in the DLL's resource section; elsewhere they are
// compiled into the module and registered at load time.
#pragma once

#include <cstddef>

namespace platform {

struct ResourceBytes {
  const void* data = nullptr;
  std::size_t size = 0;
};

// Finds the resource `name` (a numeric one as "#101") of `type` in `module`
// (null: the module this code is linked into); false when it has none. The
// bytes stay valid while the module is loaded. Where resources are compiled
// in, only this module has any.
bool FindModuleResource(const char* name, const char* type, ResourceBytes* bytes, void* module = nullptr);

// Where the module has no resource section: called by the compiled-in
// resources before anything looks for them. Does nothing on Windows.
void RegisterModuleResource(const char* name, const char* type, const void* data, std::size_t size);

}  // namespace platform
