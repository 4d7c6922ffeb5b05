// How long a drag on the panel takes to reach the screen in a Linux VST 2.4
// host that idles the editor at 0 (never), 15 or 60 Hz: the CutOff knob is
// pressed and the pointer moved (XTest), and each move is timed until the
// editor's next copy to the window. The editor drives itself when the host's
// idle calls come slower than its frame rate (25 Hz).
//
//   kestrion_editor_latency_bench [moves per rate]
//
// Needs an X server (DISPLAY) with the XTest extension, and the pointer to
// itself. The instance lives in this process, in a top-level window made here.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "instrument/ParameterIndex.h"
#include "instrument/panel/PanelEditor.h"
#include "instrument/panel/PanelLayout.h"
#include "tools/vsthost/IdleCalls.h"
#include "ui/PanelZoom.h"
#include "vst2/VstAbi.h"
#include "vst2/VstPlugin.h"
// Last: Xlib's macros must not meet the headers above.
#include <X11/extensions/XTest.h>

#include "ui/x11/X11Editor.h"

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

vst::VstIntPtr Host(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

// Waits for the editor's next copy to the window after `count`; false after a second.
bool PresentedAfter(const X11Editor& editor, int count) {
  const auto deadline = Clock::now() + std::chrono::seconds(1);
  while (editor.PresentCount() == count) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

struct Figures {
  double median = 0, mean = 0, worst = 0;
  int missed = 0;
};

// `moves` moves of a drag on CutOff, each timed; the drag goes up and down
// by turns so that the knob always has somewhere to go.
Figures TimeDrag(Display* display, Window host, const X11Editor& editor, int moves) {
  Rect knob;
  for (const panel::ControlSpec& spec : panel::kControls)
    if (spec.parameter == Param::Cutoff) knob = Zoomed(spec.area, editor.Zoom());
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(display, host, DefaultRootWindow(display), (knob.left + knob.right) / 2,
                        (knob.top + knob.bottom) / 2, &x, &y, &child);
  XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
  XTestFakeButtonEvent(display, 1, True, CurrentTime);
  XSync(display, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));

  Figures figures;
  std::vector<double> times;
  std::minstd_rand random(12345);
  std::uniform_int_distribution<int> pause(20000, 120000);
  for (int i = 0; i < moves; ++i) {
    const int before = editor.PresentCount();
    const auto start = Clock::now();
    XTestFakeMotionEvent(display, -1, x, i % 2 ? y : y - 4, CurrentTime);
    XFlush(display);
    if (PresentedAfter(editor, before))
      times.push_back(Milliseconds(Clock::now() - start).count());
    else
      ++figures.missed;
    // Apart by a random time, so that the moves fall at every point of the
    // editor's tick and of the host's idle period.
    std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
  }
  XTestFakeButtonEvent(display, 1, False, CurrentTime);
  XSync(display, False);
  if (times.empty()) return figures;
  std::sort(times.begin(), times.end());
  figures.median = times[times.size() / 2];
  for (double t : times) figures.mean += t / static_cast<double>(times.size());
  figures.worst = times.back();
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  const int moves = argc > 1 ? std::atoi(argv[1]) : 60;
  if (moves <= 0) {
    std::fprintf(stderr, "usage: %s [moves per rate > 0]\n", argv[0]);
    return 2;
  }
  XInitThreads();
  Display* display = XOpenDisplay(nullptr);
  int event, error, major, minor;
  if (!display || !XTestQueryExtension(display, &event, &error, &major, &minor)) {
    std::fprintf(stderr, "no X server with XTest: set DISPLAY\n");
    return 1;
  }
  const int screen = DefaultScreen(display);
  // Room for the panel at any size the user may have chosen.
  const Window host =
      XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, Zoomed(panel::kPanelWidth, 2 * kDefaultZoom),
                          Zoomed(panel::kPanelHeight, 2 * kDefaultZoom), 0, 0, 0);
  XSelectInput(display, host, StructureNotifyMask);
  XMapRaised(display, host);
  XEvent mapped;
  do XWindowEvent(display, host, StructureNotifyMask, &mapped);
  while (mapped.type != MapNotify);

  vst::AEffect* effect = CreateKestrion(&Host);
  effect->dispatcher(effect, vst::effOpen, 0, 0, nullptr, 0);
  std::printf("input-to-screen latency of a drag on CutOff, %d moves per host idle rate\n", moves);
  bool complete = true;
  for (const int hz : {0, 15, 60}) {
    if (!effect->dispatcher(effect, vst::effEditOpen, 0, 0, reinterpret_cast<void*>(host), 0)) {
      std::fprintf(stderr, "the editor did not open\n");
      return 1;
    }
    const auto* editor = dynamic_cast<const X11Editor*>(&EditorOf(effect)->Window());
    Figures figures;
    {
      std::unique_ptr<vsthost::IdleCalls> idle = hz ? std::make_unique<vsthost::IdleCalls>(effect, hz) : nullptr;
      if (!PresentedAfter(*editor, 0)) {
        std::fprintf(stderr, "the editor never painted at %d Hz\n", hz);
        return 1;
      }
      figures = TimeDrag(display, host, *editor, moves);
    }
    effect->dispatcher(effect, vst::effEditClose, 0, 0, nullptr, 0);
    std::printf("host idle %2d Hz: median %5.1f ms, mean %5.1f ms, worst %5.1f ms, %d of %d moves not shown\n", hz,
                figures.median, figures.mean, figures.worst, figures.missed, moves);
    complete = complete && figures.missed == 0;
  }
  effect->dispatcher(effect, vst::effClose, 0, 0, nullptr, 0);
  XDestroyWindow(display, host);
  XCloseDisplay(display);
  return complete ? 0 : 1;
}
