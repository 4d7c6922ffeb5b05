// Names the code address a watched call returns to, for the report.
#pragma once

#include <string>

namespace validator {

// The file and offset of a code address, as addr2line takes them, with the
// nearest exported name when there is one.
std::string CallerName(const void* address);

}  // namespace validator
