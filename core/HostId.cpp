#include "core/HostId.h"

#include <cctype>
#include <cstring>

namespace {

struct HostName {
  const char* substring;
  int number;
  bool stereoOnly;
};

// Tested in this order: the first substring found decides, so a product
// string naming two hosts gets the earlier one.
constexpr HostName kHostNames[] = {
    {"cubase", 3, false},
    {"reaper", 1, false},
    {"nuendo", 4, false},
    {"cakewalk", 5, false},
    {"samplitude", 8, false},
    {"fruity", 7, false},
    {"live", 9, false},
    {"melodyne", 12, false},
    {"vstmanlib", 13, false},
    {"aulab", 14, false},
    {"garageband", 22, false},
    {"forte", 15, true},
    {"chainer", 16, false},
    {"audition", 17, true},
    {"orion", 18, true},
    {"sawstudio", 20, true},
    {"logic", 21, false},
    {"digital", 23, false},
    {"audiomulch", 25, false},
    {"presonus", 26, false},
    {"vst3plugintesthost", 27, false},
    {"protools", 2, false},
    {"ardour", 28, false},
    {"openmpt", 30, false},
    {"renoise", 29, false},
    {"standalone", 24, false},
};

constexpr const char* kProgramChunkVendors[] = {"native instruments", "juce vst host"};

// At most kHostStringLength - 1 characters of `text`, in lower case.
void LowerCase(const char* text, char (&lower)[kHostStringLength]) {
  size_t n = 0;
  for (; text && text[n] && n < sizeof lower - 1; ++n)
    lower[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[n])));
  lower[n] = 0;
}

}  // namespace

int LookUpHostNumber(const char* productString) {
  char lower[kHostStringLength];
  LowerCase(productString, lower);
  for (const HostName& host : kHostNames)
    if (std::strstr(lower, host.substring)) return host.number;
  return kHostUnknown;
}

unsigned HostVersionWord(long long v) {
  if (v < 0) v = 0;
  return static_cast<unsigned>((v / 10000) * 65536 + ((v % 10000) / 100) * 256 + v % 100);
}

bool IsStereoOnlyHost(int hostNumber) {
  for (const HostName& host : kHostNames)
    if (host.number == hostNumber) return host.stereoOnly;
  return false;
}

bool IsProgramChunkHost(const char* vendorString) {
  char lower[kHostStringLength];
  LowerCase(vendorString, lower);
  for (const char* vendor : kProgramChunkVendors)
    if (std::strcmp(lower, vendor) == 0) return true;
  return false;
}
