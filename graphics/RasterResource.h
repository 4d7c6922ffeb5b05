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

}  // namespace graphics
