// The plug-in's own module (the DLL or shared object), for its resources.
#pragma once

namespace platform {

// The handle of the module this code is linked into; null where the
// platform needs none.
void* ThisModule();

}  // namespace platform
