#include "platform/Module.h"

namespace platform {

// Resources are compiled into the shared object itself; no handle is needed.
void* ThisModule() { return nullptr; }

}  // namespace platform
