// The CLAP plug-in's editor in a window of the test host, run by the host's
// timer and descriptor callbacks and driven with synthetic input (XTest),
// as a Linux CLAP host runs it. Needs an X server (DISPLAY).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "instrument/PanelCommands.h"
#include "instrument/ParameterIndex.h"
#include "instrument/panel/PanelLayout.h"
#include "tools/claphost/ClapHost.h"

// Last: Xlib's macros must not meet the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

using namespace clap;
using namespace std::chrono_literals;

namespace {

// The control bound to a parameter or a command code.
graphics::Rect ControlArea(int parameter) {
  for (const panel::ControlSpec& spec : panel::kControls)
    if (spec.parameter == parameter && spec.kind != panel::ControlKind::kLight) return spec.area;
  ADD_FAILURE() << "no control bound to " << parameter;
  return {};
}

class ClapEditorTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* name = std::getenv("DISPLAY");
    if (!name || !name[0]) GTEST_SKIP() << "no X server (DISPLAY)";
    XInitThreads();
    // A server that resets when its last client leaves refuses connections
    // for a moment: the previous test may just have left.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!(display_ = XOpenDisplay(nullptr)) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(10ms);
    ASSERT_NE(display_, nullptr) << "cannot open " << name;
    int event, error, major, minor;
    ASSERT_TRUE(XTestQueryExtension(display_, &event, &error, &major, &minor)) << "XTest is missing";
    const int screen = DefaultScreen(display_);
    hostWindow_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0, panel::kPanelWidth,
                                      panel::kPanelHeight, 0, 0, 0);
    XSelectInput(display_, hostWindow_, StructureNotifyMask);
    XMapWindow(display_, hostWindow_);
    XEvent mapped;
    do XWindowEvent(display_, hostWindow_, StructureNotifyMask, &mapped);
    while (mapped.type != MapNotify);
  }

  void Load(bool offerEditorLoop) {
    host_.OfferEditorLoop(offerEditorLoop);
    std::string why;
    ASSERT_TRUE(host_.Load(KESTRION_CLAP_PATH, &why)) << why;
    ASSERT_TRUE(host_.Activate(48000, 256));
    gui_ = host_.PluginExtension<clap_plugin_gui>(CLAP_EXT_GUI);
    ASSERT_NE(gui_, nullptr);
  }

  void OpenEditor() {
    const clap_plugin* plugin = host_.Plugin();
    ASSERT_TRUE(gui_->create(plugin, CLAP_WINDOW_API_X11, false));
    clap_window window{};
    window.api = CLAP_WINDOW_API_X11;
    window.x11 = hostWindow_;
    ASSERT_TRUE(gui_->set_parent(plugin, &window));
    ASSERT_TRUE(gui_->show(plugin));
  }

  void ClickNextProgram() {
    const graphics::Rect next = ControlArea(panel::kNextProgram);
    MoveTo((next.left + next.right) / 2, (next.top + next.bottom) / 2);
    Button(true);
    Button(false);
  }

  void TearDown() override {
    if (display_) {
      XDestroyWindow(display_, hostWindow_);
      XCloseDisplay(display_);
    }
  }

  // One turn of the host's event loop, and the callbacks asked for.
  void Turn() {
    host_.RunEventLoopOnce();
    host_.RunMainThreadCallback();
    std::this_thread::sleep_for(10ms);
  }

  // The host's event loop for a while, or until `done()` holds.
  template <typename Condition>
  bool RunUntil(Condition done) {
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return done();
      Turn();
    }
    return true;
  }
  void Run(std::chrono::milliseconds length) {
    const auto end = std::chrono::steady_clock::now() + length;
    while (std::chrono::steady_clock::now() < end) Turn();
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

  Display* display_ = nullptr;
  Window hostWindow_ = 0;
  claphost::ClapHost host_;
  const clap_plugin_gui* gui_ = nullptr;
};

}  // namespace

TEST_F(ClapEditorTest, RunsOnTheHostsTimerAndItsEditsReachTheHostAsGestures) {
  Load(true);
  const clap_plugin* plugin = host_.Plugin();
  EXPECT_TRUE(gui_->is_api_supported(plugin, CLAP_WINDOW_API_X11, false));
  EXPECT_FALSE(gui_->is_api_supported(plugin, CLAP_WINDOW_API_X11, true));
  EXPECT_FALSE(gui_->is_api_supported(plugin, CLAP_WINDOW_API_WIN32, false));
  ASSERT_TRUE(gui_->create(plugin, CLAP_WINDOW_API_X11, false));
  std::uint32_t width = 0, height = 0;
  ASSERT_TRUE(gui_->get_size(plugin, &width, &height));
  EXPECT_EQ(width, static_cast<std::uint32_t>(panel::kPanelWidth));
  EXPECT_EQ(height, static_cast<std::uint32_t>(panel::kPanelHeight));
  EXPECT_FALSE(gui_->can_resize(plugin));
  clap_window window{};
  window.api = CLAP_WINDOW_API_X11;
  window.x11 = hostWindow_;
  ASSERT_TRUE(gui_->set_parent(plugin, &window));
  ASSERT_TRUE(gui_->show(plugin));
  EXPECT_EQ(host_.Timers(), 1);
  EXPECT_EQ(host_.Descriptors(), 1);
  Run(100ms);

  // The program arrow selects the next program: the host reads the values again.
  ClickNextProgram();
  EXPECT_TRUE(RunUntil([&] { return host_.Rescans() > 0; }));
  host_.Process(256);  // the new program's values go out here

  // A drag on the cutoff knob is one gesture: begin, values, end.
  const graphics::Rect knob = ControlArea(Param::Cutoff);
  const int x = (knob.left + knob.right) / 2, y = (knob.top + knob.bottom) / 2;
  MoveTo(x, y);
  Button(true);
  for (int step = 1; step <= 6; ++step) MoveTo(x, y - 6 * step);
  Button(false);
  ASSERT_TRUE(RunUntil([&] { return host_.FlushRequests() > 0; }));
  host_.Process(256);
  std::vector<std::uint16_t> kinds;
  for (const claphost::Event& event : host_.Output()) {
    const auto& header = event.Header();
    if (header.type == CLAP_EVENT_PARAM_VALUE &&
        reinterpret_cast<const clap_event_param_value&>(header).param_id != Param::Cutoff)
      continue;
    if (kinds.empty() || kinds.back() != header.type) kinds.push_back(header.type);
  }
  EXPECT_EQ(kinds, (std::vector<std::uint16_t>{CLAP_EVENT_PARAM_GESTURE_BEGIN, CLAP_EVENT_PARAM_VALUE,
                                               CLAP_EVENT_PARAM_GESTURE_END}));

  gui_->destroy(plugin);
  EXPECT_EQ(host_.Timers(), 0);
  EXPECT_EQ(host_.Descriptors(), 0);
  EXPECT_EQ(host_.WrongThreadCalls(), 0);
}

// A host that offers no timer is asked for main-thread callbacks instead,
// and the editor runs in them.
TEST_F(ClapEditorTest, WithoutTheHostsTimerItRunsInMainThreadCallbacks) {
  Load(false);
  OpenEditor();
  EXPECT_EQ(host_.Timers(), 0);
  ASSERT_TRUE(RunUntil([&] { return host_.CallbackRequests() > 0; }));
  ClickNextProgram();
  EXPECT_TRUE(RunUntil([&] { return host_.Rescans() > 0; }));
  gui_->destroy(host_.Plugin());
  const int asked = host_.CallbackRequests();
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(host_.CallbackRequests(), asked);
  EXPECT_EQ(host_.WrongThreadCalls(), 0);
}
