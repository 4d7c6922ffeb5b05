// The per-user folders the plug-in keeps its files in.
#pragma once

#include <string>

namespace platform {

// Where per-user configuration lives: the local application-data folder on
// Windows, $XDG_CONFIG_HOME (else ~/.config) elsewhere. Empty when unknown.
std::string ConfigurationFolder();

// Where the user keeps documents: the documents folder on Windows, the XDG
// documents folder (else the home folder) elsewhere. Empty when unknown.
std::string DocumentsFolder();

}  // namespace platform
