// The editor's drawn menus, boxes and fields on a real X server, driven by
// synthetic input from a second connection on a second thread, the way a
// user's keys and clicks arrive.
// GoogleTest first: the X headers define macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "X11Modal.h"
#include "plugin/EditorView.h"
#include "tests/ui/x11/X11User.h"
#include "ui/MenuList.h"

namespace {

using x11user::kThreadsReady;
using x11user::OpenDisplay;
using x11user::PollUntil;
using x11user::User;
using Clock = std::chrono::steady_clock;
constexpr auto kPatience = x11user::kPatience;

class X11Dialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kThreadsReady);
    const char* name = std::getenv("DISPLAY");
    if (!name || !name[0]) GTEST_SKIP() << "no X display";
    ASSERT_TRUE(x11user::KeepServerUp()) << "cannot reach " << name;
    display_ = OpenDisplay();
    userDisplay_ = OpenDisplay();
    ASSERT_TRUE(display_ && userDisplay_) << "cannot open " << name;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(userDisplay_, &event, &error, &major, &minor)) GTEST_SKIP() << "no XTest";
    panel_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 100, 100, 400, 300, 0, 0, 0x404040);
    XSelectInput(display_, panel_, ExposureMask);
    XStoreName(display_, panel_, "panel");
    XMapWindow(display_, panel_);
    XSync(display_, False);
    ASSERT_TRUE(PollUntil([&] {
      XWindowAttributes attributes;
      return XGetWindowAttributes(display_, panel_, &attributes) && attributes.map_state == IsViewable;
    }));
    context_.display = display_;
    context_.panel = panel_;
    context_.owner = panel_;
    context_.otherEvent = [this](XEvent& event) {
      if (event.xany.window == panel_) ++panelEvents_;
    };
  }

  void TearDown() override {
    if (user_.joinable()) user_.join();
    if (display_) {
      if (panel_) XDestroyWindow(display_, panel_);
      XCloseDisplay(display_);
    }
    if (userDisplay_) XCloseDisplay(userDisplay_);
  }

  // The user acts on a second thread while this one runs the modal window.
  void Act(const std::function<void(User&)>& script) {
    user_ = std::thread([this, script] {
      User user(userDisplay_);
      script(user);
    });
  }
  void Finish() { user_.join(); }

  Display* display_ = nullptr;
  Display* userDisplay_ = nullptr;
  Window panel_ = 0;
  x11ui::ModalContext context_;
  int panelEvents_ = 0;
  std::thread user_;
};

// A, separator, B greyed, Sub > (p, q), C
std::unique_ptr<MenuList> MakeMenu() {
  auto menu = std::make_unique<MenuList>();
  menu->AddEntry("Alpha");
  menu->AddSeparator();
  menu->AddEntry("Beta", -1, nullptr, kMenuGreyed);
  auto* sub = new MenuList(kNumberOneDigit);
  sub->AddEntry("Piano");
  sub->AddEntry("Quartet");
  menu->AddEntry("More", -1, sub);
  menu->AddEntry("Gamma", -1, nullptr, kMenuChecked);
  return menu;
}

TEST_F(X11Dialog, MenuEntryChosenWithArrowsAndReturnStaysOnScreen) {
  const auto menu = MakeMenu();
  const int screenWidth = DisplayWidth(display_, DefaultScreen(display_));
  const int screenHeight = DisplayHeight(display_, DefaultScreen(display_));
  XWindowAttributes shown{};
  bool grabbed = false;
  Act([&](User& user) {
    const Window window = user.WaitForWindow("menu");
    XGetWindowAttributes(userDisplay_, window, &shown);
    grabbed = user.WaitForKeyboardGrab();
    for (KeySym key : {XK_Down, XK_Down, XK_Right, XK_Down, XK_Return}) user.Key(key);
  });
  const int chosen = x11ui::RunPopupMenu(context_, *menu, screenWidth - 10, screenHeight - 10);
  Finish();
  EXPECT_TRUE(grabbed);
  // Down lands on Alpha, the next Down passes the separator and greyed Beta.
  EXPECT_EQ(chosen, MenuCommandId(menu.get(), menu->Entry(3)->submenu.get(), 1));
  EXPECT_GT(shown.width, 0);
  EXPECT_LE(shown.x + shown.width, screenWidth);
  EXPECT_LE(shown.y + shown.height, screenHeight);
  EXPECT_TRUE(User(userDisplay_).PointerIsFree());
}

TEST_F(X11Dialog, ClickOutsideTheMenuClosesItAndReleasesTheGrabs) {
  const auto menu = MakeMenu();
  Act([&](User& user) {
    user.WaitForWindow("menu");
    if (user.WaitForKeyboardGrab()) user.ClickAt(700, 600);
  });
  EXPECT_EQ(x11ui::RunPopupMenu(context_, *menu, 120, 120), -1);
  Finish();
  EXPECT_TRUE(User(userDisplay_).PointerIsFree());
}

TEST_F(X11Dialog, PointerChoosesTheEntryItReleasesOn) {
  const auto menu = MakeMenu();
  Act([&](User& user) {
    const Window window = user.WaitForWindow("menu");
    XWindowAttributes shown{};
    if (!user.WaitForKeyboardGrab() || !XGetWindowAttributes(userDisplay_, window, &shown)) return;
    user.ClickAt(shown.x + 10, shown.y + shown.height - 6);  // the last entry, Gamma
  });
  EXPECT_EQ(x11ui::RunPopupMenu(context_, *menu, 300, 200), 4);
  Finish();
}

TEST_F(X11Dialog, MessageBoxAnswersReturnAndEscapeWithTheFocusItTook) {
  for (const KeySym key : {XK_Return, XK_Escape}) {
    Window transientFor = 0;
    Act([&](User& user) {
      const Window box = user.WaitForWindow("Confirm");
      XGetTransientForHint(userDisplay_, box, &transientFor);
      if (user.WaitForFocus(box)) user.Key(key);
    });
    const int answer =
        x11ui::RunMessageBox(context_, "Replace the bank?\n\tAll programs go.", "Confirm", kMessageYesNo);
    Finish();
    EXPECT_EQ(answer, key == XK_Return ? kAnswerYes : kAnswerNo);
    EXPECT_EQ(transientFor, panel_);
  }
}

TEST_F(X11Dialog, TextEntryFiltersTypingAndCommitsOnReturn) {
  TextStyle style("Tahoma", 13, ArgbColour{255, 0, 0, 0});
  x11ui::TextEntry entry(display_, panel_, Rect{20, 20, 120, 40}, style, "12", 5, x11ui::TextEntry::kSignedDecimal);
  const Window window = entry.Handle();
  Act([&](User& user) {
    if (user.WaitForFocus(window)) {
      user.Type("-1.5a9x");
      user.Key(XK_Return);
    }
  });
  bool focused = false;
  int state = -1;
  const auto deadline = Clock::now() + kPatience;
  while (state != kEntryCommit && state != kEntryCancel && Clock::now() < deadline) {
    if (!XPending(display_)) {
      pollfd connection{ConnectionNumber(display_), POLLIN, 0};
      poll(&connection, 1, 50);
      continue;
    }
    XEvent event;
    XNextEvent(display_, &event);
    state = entry.HandleEvent(event);
    focused |= state == kEntryFocused;
  }
  Finish();
  EXPECT_TRUE(focused);
  EXPECT_EQ(state, kEntryCommit);
  // The first key replaced the selected "12"; 'a' and 'x' are refused, the limit stops at five.
  EXPECT_EQ(entry.Text(), "-1.59");
}

TEST_F(X11Dialog, PathDialogAsksBeforeOverwritingAndKeepsTheTypedPath) {
  char existing[] = "/tmp/kestrion-path-XXXXXX";
  const int file = mkstemp(existing);
  ASSERT_GE(file, 0);
  close(file);
  Act([&](User& user) {
    const Window dialog = user.WaitForWindow("Save File");
    if (!user.WaitForFocus(dialog)) return;
    user.Key(XK_Return);
    const Window question = user.WaitForWindow("Save File", dialog);
    if (!user.WaitForFocus(question)) return;
    user.Key(XK_Escape);  // No: back to the path
    if (!user.WaitForFocus(dialog)) return;
    user.Key(XK_End);
    user.Type("2");
    user.Key(XK_Return);
  });
  std::string path = existing;
  const bool confirmed = x11ui::RunPathDialog(context_, &path, true, "fxp fxb");
  Finish();
  std::remove(existing);
  EXPECT_TRUE(confirmed);
  EXPECT_EQ(path, std::string(existing) + "2");
}

}  // namespace
