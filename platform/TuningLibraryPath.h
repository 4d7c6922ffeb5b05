// Where the system-wide microtuning library lives, when it is installed.
#pragma once

#include <string>

namespace platform {

// The one place the plug-in looks for the tuning library: the system folder
// on Windows, the conventional local library folder elsewhere. Empty when
// the system names no such folder.
std::string DefaultTuningLibraryPath();

}  // namespace platform
