#include "graphics/RasterResource.h"

#include <string>

#include "platform/ModuleResource.h"

namespace graphics {

namespace {

// Numeric resources go by "#id", as the system's resource lookup spells them.
std::string NumericName(int id) { return "#" + std::to_string(id); }

}  // namespace

bool FindModuleResource(void* module, int id, const char* type, RasterResourceBytes* bytes) {
  platform::ResourceBytes found;
  if (!bytes || !platform::FindModuleResource(NumericName(id).c_str(), type, &found, module)) return false;
  bytes->data = found.data;
  bytes->size = found.size;
  return true;
}

void RegisterModuleResource(int id, const char* type, const void* data, std::size_t size) {
  platform::RegisterModuleResource(NumericName(id).c_str(), type, data, size);
}

}  // namespace graphics
