#include "vst2/ChunkHosts.h"

#include <cctype>
#include <cstring>

namespace {

constexpr const char* kProgramChunkVendors[] = {"native instruments", "juce vst host"};

// At most kHostStringLength - 1 characters of `text`, in lower case.
void LowerCase(const char* text, char (&lower)[kHostStringLength]) {
  size_t n = 0;
  for (; text && text[n] && n < sizeof lower - 1; ++n)
    lower[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[n])));
  lower[n] = 0;
}

}  // namespace

bool IsProgramChunkHost(const char* vendorString) {
  char lower[kHostStringLength];
  LowerCase(vendorString, lower);
  for (const char* vendor : kProgramChunkVendors)
    if (std::strcmp(lower, vendor) == 0) return true;
  return false;
}
