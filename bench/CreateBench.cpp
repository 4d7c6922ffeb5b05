// What a host pays for instances: loading the module and creating and
// closing one, first in the process and again while the module stays
// loaded; the resident memory of instances kept open; and, with an X
// display, the time and memory of opening one's editor in a window.
//   kestrion_create_bench MODULE [instances]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <X11/Xlib.h>
#include <unistd.h>

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

// The process's resident memory in KiB.
long ResidentKilobytes() {
  long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void MeasureKeptInstances(const std::string& module, int count) {
  std::vector<std::unique_ptr<vsthost::VstHost>> kept;
  const long before = ResidentKilobytes();
  std::string error;
  for (int i = 0; i < count; ++i) {
    kept.push_back(std::make_unique<vsthost::VstHost>());
    if (!kept.back()->Load(module, &error)) return;
  }
  const long after = ResidentKilobytes();
  std::printf("%d instances kept open, no editor: +%ld KiB resident, %.0f KiB each\n", count, after - before,
              double(after - before) / count);
}

// Opens the editor of a new instance in a window of our own, idles it until
// it has painted, closes it.
void MeasureEditor(const std::string& module) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::printf("editor: no X display, not measured\n");
    return;
  }
  vsthost::VstHost host;
  std::string error;
  if (host.Load(module, &error)) {
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1096, 395, 0, 0, 0);
    XMapWindow(display, window);
    XSync(display, False);
    const long before = ResidentKilobytes();
    const Clock::time_point start = Clock::now();
    const bool opened = host.Dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(window)) != 0;
    const double openMs = MillisecondsSince(start);
    for (int i = 0; i < 5; ++i) host.Dispatch(vst::effEditIdle);
    const double paintedMs = MillisecondsSince(start);
    const long open = ResidentKilobytes();
    host.Dispatch(vst::effEditClose);
    const long closed = ResidentKilobytes();
    std::printf("editor: %s in %.2f ms, painted after %.2f ms; +%ld KiB resident while open, %+ld KiB after closing\n",
                opened ? "opened" : "refused", openMs, paintedMs, open - before, closed - before);
    host.Close();
    XDestroyWindow(display, window);
  }
  XCloseDisplay(display);
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
  std::printf("later instances (%d): median %.3f ms, slowest %.3f ms\n", count, later[later.size() / 2], later.back());
  MeasureKeptInstances(module, 16);
  MeasureEditor(module);
  return 0;
}
