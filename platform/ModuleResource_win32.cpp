#include "platform/ModuleResource.h"

#include <windows.h>

#include "platform/Module.h"

namespace platform {

bool FindModuleResource(const char* name, const char* type, ResourceBytes* bytes, void* owner) {
  if (!name || !type || !bytes) return false;
  HMODULE module = static_cast<HMODULE>(owner ? owner : ThisModule());
  HRSRC found = FindResourceA(module, name, type);
  if (!found) return false;
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return false;
  bytes->data = data;
  bytes->size = SizeofResource(module, found);
  return true;
}

void RegisterModuleResource(const char*, const char*, const void*, std::size_t) {}

}  // namespace platform
