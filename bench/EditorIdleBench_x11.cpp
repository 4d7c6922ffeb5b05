// What an open editor costs a Linux host that calls effEditIdle at 60 Hz:
// the process's CPU time while nothing changes, as a share of one core, and
// the area copied to the window when one knob moves (it should be just that
// knob's rectangle).
//
//   kestrion_editor_idle_bench [seconds] [panel size in percent]
//
// Needs an X server (DISPLAY). The instance lives in this process, with the
// editor it gets in a host, inside a top-level window made here.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "instrument/Kestrion.h"
#include "instrument/ParameterIndex.h"
#include "instrument/panel/PanelEditor.h"
#include "instrument/panel/PanelLayout.h"
#include "ui/PanelZoom.h"
#include "vst2/VstAbi.h"
#include "vst2/VstPlugin.h"
// Last: Xlib's macros must not meet the headers above.
#include "ui/x11/X11Editor.h"

namespace {

using Clock = std::chrono::steady_clock;

vst::VstIntPtr Host(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

const auto kIdlePeriod = std::chrono::microseconds(1000000 / 60);

// effEditIdle at 60 Hz until `end`, each call at its own deadline.
void IdleUntil(vst::AEffect* effect, Clock::time_point end) {
  for (auto next = Clock::now(); next < end; next += kIdlePeriod) {
    effect->dispatcher(effect, vst::effEditIdle, 0, 0, nullptr, 0);
    std::this_thread::sleep_until(next + kIdlePeriod);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
  const int zoom = argc > 2 ? std::atoi(argv[2]) : kDefaultZoom;
  if (seconds <= 0 || !IsZoomStep(zoom)) {
    std::fprintf(stderr, "usage: %s [seconds > 0] [100|125|150|175|200]\n", argv[0]);
    return 2;
  }
  XInitThreads();
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "no X server: set DISPLAY\n");
    return 1;
  }
  const int screen = DefaultScreen(display);
  const Window host = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, Zoomed(panel::kPanelWidth, zoom),
                                          Zoomed(panel::kPanelHeight, zoom), 0, 0, 0);
  XSelectInput(display, host, StructureNotifyMask);
  XMapWindow(display, host);
  XEvent event;
  do XWindowEvent(display, host, StructureNotifyMask, &event);
  while (event.type != MapNotify);

  vst::AEffect* effect = CreateKestrion(&Host);
  effect->dispatcher(effect, vst::effOpen, 0, 0, nullptr, 0);
  // The size is set before the window opens: from then on the editor's own
  // thread may be drawing it.
  vst::ERect* rect = nullptr;
  effect->dispatcher(effect, vst::effEditGetRect, 0, 0, &rect, 0);
  EditorOf(effect)->ShowAtZoom(zoom, false);
  if (!effect->dispatcher(effect, vst::effEditOpen, 0, 0, reinterpret_cast<void*>(host), 0)) {
    std::fprintf(stderr, "the editor did not open\n");
    return 1;
  }
  auto* editor = dynamic_cast<X11Editor*>(&EditorOf(effect)->Window());
  // The first paint, then quiet.
  IdleUntil(effect, Clock::now() + std::chrono::milliseconds(500));
  std::printf("presenting through %s\n", editor->PresentsThroughSharedMemory() ? "shared memory" : "XPutImage");

  const int presentsBefore = editor->PresentCount();
  const double cpuBefore = CpuSeconds();
  const auto start = Clock::now();
  IdleUntil(effect, start + std::chrono::microseconds(static_cast<long long>(seconds * 1e6)));
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = CpuSeconds() - cpuBefore;
  std::printf("idle at 60 Hz for %.1f s, nothing changing: %.2f %% of one core, %d copies to the window\n", wall,
              100.0 * cpu / wall, editor->PresentCount() - presentsBefore);

  // One knob moves: the next tick copies its rectangle alone.
  Rect knob;
  for (const panel::ControlSpec& spec : panel::kControls)
    if (spec.parameter == Param::Cutoff) knob = Zoomed(spec.area, zoom);
  const float value = effect->getParameter(effect, Param::Cutoff);
  effect->setParameter(effect, Param::Cutoff, value < 0.5f ? 0.9f : 0.1f);
  const int presents = editor->PresentCount();
  const auto deadline = Clock::now() + std::chrono::seconds(1);
  while (editor->PresentCount() == presents && Clock::now() < deadline) IdleUntil(effect, Clock::now() + kIdlePeriod);
  const Rect area = editor->LastPresented();
  const bool exact = editor->PresentCount() == presents + 1 && area == knob;
  std::printf("one knob moved: %d copy of (%d,%d)-(%d,%d), %d x %d pixels; the knob is (%d,%d)-(%d,%d): %s\n",
              editor->PresentCount() - presents, area.left, area.top, area.right, area.bottom, area.Width(),
              area.Height(), knob.left, knob.top, knob.right, knob.bottom, exact ? "just the knob" : "MORE");

  effect->dispatcher(effect, vst::effEditClose, 0, 0, nullptr, 0);
  effect->dispatcher(effect, vst::effClose, 0, 0, nullptr, 0);
  XDestroyWindow(display, host);
  XCloseDisplay(display);
  return exact ? 0 : 1;
}
