#include <windows.h>

#include "graphics/RasterResource.h"

namespace graphics {

bool FindModuleResource(void* module, int id, const char* type, RasterResourceBytes* bytes) {
  if (!bytes) return false;
  HMODULE handle = static_cast<HMODULE>(module);
  HRSRC found = FindResourceA(handle, MAKEINTRESOURCEA(id), type);
  if (!found) return false;
  HGLOBAL loaded = LoadResource(handle, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return false;
  bytes->data = data;
  bytes->size = SizeofResource(handle, found);
  return true;
}

// The DLL's resource section is the only source on Windows.
void RegisterModuleResource(int, const char*, const void*, std::size_t) {}

}  // namespace graphics
