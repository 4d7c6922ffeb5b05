// The VST 3 plug-in's view in a window of the test host, run by the host's
// run loop (a timer and the display connection's descriptor) and driven
// with synthetic input (XTest), as a Linux VST 3 host runs it. Needs an X
// server (DISPLAY).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "instrument/PanelCommands.h"
#include "instrument/ParameterIndex.h"
#include "instrument/panel/PanelLayout.h"
#include "tools/vst3host/Vst3Host.h"

// Last: Xlib's macros must not meet the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

using namespace std::chrono_literals;
using vst3host::HandlerCall;

namespace {

graphics::Rect ControlArea(int parameter) {
  for (const panel::ControlSpec& spec : panel::kControls)
    if (spec.parameter == parameter && spec.kind != panel::ControlKind::kLight) return spec.area;
  ADD_FAILURE() << "no control bound to " << parameter;
  return {};
}

class Vst3EditorTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* name = std::getenv("DISPLAY");
    if (!name || !name[0]) GTEST_SKIP() << "no X server (DISPLAY)";
    XInitThreads();
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!(display_ = XOpenDisplay(nullptr)) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(10ms);
    ASSERT_NE(display_, nullptr) << "cannot open " << name;
    const int screen = DefaultScreen(display_);
    hostWindow_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0, panel::kPanelWidth,
                                      panel::kPanelHeight, 0, 0, 0);
    XSelectInput(display_, hostWindow_, StructureNotifyMask);
    XMapWindow(display_, hostWindow_);
    XEvent mapped;
    do XWindowEvent(display_, hostWindow_, StructureNotifyMask, &mapped);
    while (mapped.type != MapNotify);
    std::string why;
    ASSERT_TRUE(host_.Load(KESTRION_VST3_PATH, &why)) << why;
    ASSERT_TRUE(host_.Activate(48000, 256));
  }

  void TearDown() override {
    host_.Unload();
    if (display_) {
      XDestroyWindow(display_, hostWindow_);
      XCloseDisplay(display_);
    }
  }

  template <typename Condition>
  bool RunUntil(Condition done) {
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return done();
      Run(10ms);
    }
    return true;
  }
  void Run(std::chrono::milliseconds length) {
    const auto end = std::chrono::steady_clock::now() + length;
    do {
      host_.RunLoopOnce();
      std::this_thread::sleep_for(5ms);
    } while (std::chrono::steady_clock::now() < end);
  }
  void MoveTo(int x, int y) {
    int screenX, screenY;
    Window child;
    XTranslateCoordinates(display_, hostWindow_, DefaultRootWindow(display_), x, y, &screenX, &screenY, &child);
    XTestFakeMotionEvent(display_, -1, screenX, screenY, CurrentTime);
    XFlush(display_);
    Run(30ms);
  }
  void Button(bool down) {
    XTestFakeButtonEvent(display_, 1, down, CurrentTime);
    XFlush(display_);
    Run(30ms);
  }
  int Calls(HandlerCall::Kind kind) const {
    int count = 0;
    for (const HandlerCall& call : host_.HandlerCalls()) count += call.kind == kind;
    return count;
  }

  Display* display_ = nullptr;
  Window hostWindow_ = 0;
  vst3host::Vst3Host host_;
};

}  // namespace

TEST_F(Vst3EditorTest, RunsOnTheHostsRunLoopAndItsEditsReachTheHostAsGestures) {
  ASSERT_TRUE(host_.OpenView(reinterpret_cast<void*>(static_cast<std::uintptr_t>(hostWindow_))));
  EXPECT_EQ(host_.ViewSize().right - host_.ViewSize().left, panel::kPanelWidth);
  EXPECT_EQ(host_.ViewSize().bottom - host_.ViewSize().top, panel::kPanelHeight);
  EXPECT_EQ(host_.RegisteredTimers(), 1);
  EXPECT_EQ(host_.RegisteredDescriptors(), 1);
  Run(100ms);

  // The program arrow selects the next program: the host reads the values
  // and the program list again.
  const graphics::Rect next = ControlArea(panel::kNextProgram);
  MoveTo((next.left + next.right) / 2, (next.top + next.bottom) / 2);
  Button(true);
  Button(false);
  EXPECT_TRUE(RunUntil([&] { return Calls(HandlerCall::kRestartComponent) > 0; }));
  EXPECT_GE(Calls(HandlerCall::kProgramListChange), 1);
  host_.ClearHandlerCalls();

  // A drag on the cutoff knob is one gesture: begin, values, end.
  const graphics::Rect knob = ControlArea(Param::Cutoff);
  const int x = (knob.left + knob.right) / 2, y = (knob.top + knob.bottom) / 2;
  MoveTo(x, y);
  Button(true);
  for (int step = 1; step <= 6; ++step) MoveTo(x, y - 6 * step);
  Button(false);
  ASSERT_TRUE(RunUntil([&] { return Calls(HandlerCall::kEndEdit) > 0; }));
  std::vector<HandlerCall::Kind> kinds;
  for (const HandlerCall& call : host_.HandlerCalls()) {
    EXPECT_EQ(call.id, static_cast<vst3::ParamID>(Param::Cutoff));
    if (kinds.empty() || kinds.back() != call.kind) kinds.push_back(call.kind);
  }
  EXPECT_EQ(kinds, (std::vector<HandlerCall::Kind>{HandlerCall::kBeginEdit, HandlerCall::kPerformEdit,
                                                   HandlerCall::kEndEdit}));
  EXPECT_NE(host_.ParamNormalized(Param::Cutoff), host_.HandlerCalls().front().value);

  host_.CloseView();
  EXPECT_EQ(host_.RegisteredTimers(), 0);
  EXPECT_EQ(host_.RegisteredDescriptors(), 0);
  EXPECT_EQ(host_.OffUiThreadCalls(), 0);
  // A second view opens after the first is gone.
  ASSERT_TRUE(host_.OpenView(reinterpret_cast<void*>(static_cast<std::uintptr_t>(hostWindow_))));
  Run(50ms);
  host_.CloseView();
}
