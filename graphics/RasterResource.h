// How the graphics layer reaches the bytes of the library's own resources.
#pragma once

#include <cstddef>

namespace graphics {

struct RasterResourceBytes {
  const void* data = nullptr;
  std::size_t size = 0;
};

// Finds the resource with a numeric id and a type name ("PNG") in a module;
// false when there is none.
bool FindModuleResource(void* module, int id, const char* type, RasterResourceBytes* bytes);

// Where the module has no resource section of its own (Linux), the code that
// embeds the resources hands them over here; the bytes must stay alive for
// the life of the process. Registering an id and type again replaces it. On
// Windows the module's own resources are used and this does nothing.
void RegisterModuleResource(int id, const char* type, const void* data, std::size_t size);

}  // namespace graphics
