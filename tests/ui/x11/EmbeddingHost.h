// A plug-in host's window on the X server, for tests of an editor embedded
// the way hosts embed it: the panel's controls located, synthetic pointer
// input (XTest), and the host's event loop turned while the input takes
// effect. Instances get a configuration folder of the test's own. Skips
// without an X server (DISPLAY).
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <utility>

#include "instrument/PanelCommands.h"
#include "instrument/panel/PanelLayout.h"
#include "plugin/PanelSizes.h"
#include "tests/config/UserFolders.h"

// Last: Xlib's macros must not meet the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "tests/ui/x11/X11User.h"

class EmbeddingHost : public testing::Test {
 protected:
  // The control bound to a parameter or a command code.
  static graphics::Rect ControlArea(int parameter) {
    for (const panel::ControlSpec& spec : panel::kControls)
      if (spec.parameter == parameter && spec.kind != panel::ControlKind::kLight) return spec.area;
    ADD_FAILURE() << "no control bound to " << parameter;
    return {};
  }

  void SetUp() override {
    using namespace std::chrono_literals;
    const char* name = std::getenv("DISPLAY");
    if (!name || !name[0]) GTEST_SKIP() << "no X server (DISPLAY)";
    // A panel size chosen in one test would be the next one's.
    testfolders::UseFreshUserFolders();
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

  void TearDown() override {
    if (!display_) return;
    XDestroyWindow(display_, hostWindow_);
    XCloseDisplay(display_);
  }

  // One turn of the host's event loop.
  virtual void Turn() = 0;

  // The host's event loop for a while, or until `done()` holds.
  template <typename Condition>
  bool RunUntil(Condition done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return done();
      TurnAndWait();
    }
    return true;
  }
  void Run(std::chrono::milliseconds length) {
    const auto end = std::chrono::steady_clock::now() + length;
    while (std::chrono::steady_clock::now() < end) TurnAndWait();
  }

  void MoveTo(int x, int y) {
    int screenX, screenY;
    Window child;
    XTranslateCoordinates(display_, hostWindow_, DefaultRootWindow(display_), x, y, &screenX, &screenY, &child);
    XTestFakeMotionEvent(display_, -1, screenX, screenY, CurrentTime);
    XFlush(display_);
    Run(std::chrono::milliseconds(30));
  }
  void Button(bool down) {
    XTestFakeButtonEvent(display_, 1, down, CurrentTime);
    XFlush(display_);
    Run(std::chrono::milliseconds(30));
  }
  void Click(const graphics::Rect& area) {
    MoveTo((area.left + area.right) / 2, (area.top + area.bottom) / 2);
    Button(true);
    Button(false);
  }
  // A drag from the middle of `area` upwards by `pixels`, in six steps.
  void DragUp(const graphics::Rect& area, int pixels) {
    const int x = (area.left + area.right) / 2, y = (area.top + area.bottom) / 2;
    MoveTo(x, y);
    Button(true);
    for (int step = 1; step <= 6; ++step) MoveTo(x, y - pixels * step / 6);
    Button(false);
  }

  // The user choosing "Panel Size" > `percent` % in the options menu of the
  // panel at 100 %: the click holds the host's thread in the menu, and the
  // user picks the entry by keys from a connection of its own.
  void ChoosePanelSize(int percent) {
    // The panel takes input once its window shows.
    ASSERT_TRUE(RunUntil([&] { return Shows(PluginWindow()); }));
    int step = 0;
    while (step < kZoomStepCount - 1 && kZoomSteps[step] != percent) ++step;
    std::atomic<bool> done{false};
    std::thread user([&done, step] {
      if (Display* display = x11user::OpenDisplay()) {
        x11user::User user(display);
        if (user.WaitForWindow("menu") && user.WaitForKeyboardGrab()) {
          // Up to the last entry, Panel Size; Right opens it at 100 %.
          user.Key(XK_Up);
          user.Key(XK_Right);
          for (int i = 0; i < step; ++i) user.Key(XK_Down);
          user.Key(XK_Return);
        }
        XCloseDisplay(display);
      }
      done = true;
    });
    // Each click lands apart from the last, or two would make a double click.
    const graphics::Rect options = ControlArea(panel::kOptionsMenu);
    const int x = menuClicks_++ % 2 == 0 ? options.left + 2 : options.right - 3;
    MoveTo(x, (options.top + options.bottom) / 2);
    Button(true);
    Button(false);
    EXPECT_TRUE(RunUntil([&] { return done.load(); }));
    user.join();
  }

  // A window's width and height; the plug-in's window is the host window's child.
  // What a host does with a size it grants: its window makes room.
  void GrowHostWindow(int width, int height) {
    XResizeWindow(display_, hostWindow_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(display_, False);
  }
  std::pair<int, int> SizeOf(Window window) {
    XWindowAttributes attributes{};
    if (!window || !XGetWindowAttributes(display_, window, &attributes)) return {0, 0};
    return {attributes.width, attributes.height};
  }
  bool Shows(Window window) {
    XWindowAttributes attributes{};
    return window && XGetWindowAttributes(display_, window, &attributes) && attributes.map_state == IsViewable;
  }
  Window PluginWindow() {
    Window root, parent, *children = nullptr, found = 0;
    unsigned count = 0;
    if (XQueryTree(display_, hostWindow_, &root, &parent, &children, &count) && count > 0) found = children[count - 1];
    if (children) XFree(children);
    return found;
  }

  void* ParentHandle() const { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(hostWindow_)); }

  Display* display_ = nullptr;
  Window hostWindow_ = 0;
  int menuClicks_ = 0;

 private:
  void TurnAndWait() {
    Turn();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
};
