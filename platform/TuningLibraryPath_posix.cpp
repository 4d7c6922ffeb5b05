#include "platform/TuningLibraryPath.h"

namespace platform {

std::string DefaultTuningLibraryPath() { return "/usr/local/lib/libMTS.so"; }

}  // namespace platform
