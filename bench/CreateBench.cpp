// What a host's plug-in scanner pays: loading the module and creating and
// closing one instance, first in the process (the images are decoded then)
// and again while the module stays loaded.
//   kestrion_create_bench MODULE [instances]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tools/vsthost/VstHost.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Loads the module, creates an instance and closes it; the time in ms, or -1.
double CreateAndClose(const std::string& module) {
  const Clock::time_point start = Clock::now();
  vsthost::VstHost host;
  std::string error;
  if (!host.Load(module, &error)) {
    std::fprintf(stderr, "kestrion_create_bench: %s\n", error.c_str());
    return -1;
  }
  host.Close();
  return MillisecondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kestrion_create_bench MODULE [instances]\n");
    return 2;
  }
  const std::string module = argv[1];
  const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 50;

  // The module stays loaded from here on, as in a scanning host.
  vsthost::VstHost keeper;
  std::string error;
  const Clock::time_point start = Clock::now();
  if (!keeper.Load(module, &error)) {
    std::fprintf(stderr, "kestrion_create_bench: %s\n", error.c_str());
    return 1;
  }
  keeper.Close();
  const double first = MillisecondsSince(start);

  std::vector<double> later;
  for (int i = 0; i < count; ++i) {
    const double ms = CreateAndClose(module);
    if (ms < 0) return 1;
    later.push_back(ms);
  }
  std::sort(later.begin(), later.end());
  std::printf("first instance in the process: %.2f ms\n", first);
  std::printf("later instances (%d): median %.3f ms, slowest %.3f ms\n", count, later[later.size() / 2],
              later.back());
  return 0;
}
