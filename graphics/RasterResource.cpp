#include "graphics/RasterResource.h"

namespace graphics {

// Stands in until the module resource lookup exists; finds nothing, so
// every resource load reports a missing resource.
bool FindModuleResource(void*, int, const char*, RasterResourceBytes*) { return false; }

}  // namespace graphics
