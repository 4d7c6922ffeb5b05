#include "core/HostId.h"

#include <cctype>
#include <cstring>

namespace {

struct HostName {
  const char* substring;
  int number;
};

// Tested in this order: the first substring found decides, so a product
// string naming two hosts gets the earlier one.
constexpr HostName kHostNames[] = {
    {"cubase", 3},      {"reaper", 1},     {"nuendo", 4},     {"cakewalk", 5},
    {"samplitude", 8},  {"fruity", 7},     {"live", 9},       {"melodyne", 12},
    {"vstmanlib", 13},  {"aulab", 14},     {"garageband", 22}, {"forte", 15},
    {"chainer", 16},    {"audition", 17},  {"orion", 18},     {"sawstudio", 20},
    {"logic", 21},      {"digital", 23},   {"audiomulch", 25}, {"presonus", 26},
    {"vst3plugintesthost", 27}, {"protools", 2}, {"ardour", 28}, {"openmpt", 30},
    {"renoise", 29},    {"standalone", 24},
};

}  // namespace

int LookUpHostNumber(const char* productString) {
  char lower[256];
  size_t n = 0;
  for (; productString && productString[n] && n < sizeof lower - 1; ++n)
    lower[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(productString[n])));
  lower[n] = 0;
  for (const HostName& host : kHostNames)
    if (std::strstr(lower, host.substring)) return host.number;
  return kHostUnknown;
}

unsigned HostVersionWord(long long v) {
  if (v < 0) v = 0;
  return static_cast<unsigned>((v / 10000) * 65536 + ((v % 10000) / 100) * 256 + v % 100);
}
