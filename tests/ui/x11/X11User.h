// The user at an X server, for tests of the editor's own modal windows: a
// display connection of its own, used from a second thread while the test's
// thread waits in a modal loop, that finds windows and sends synthetic input.
#pragma once

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace x11user {

using Clock = std::chrono::steady_clock;
inline constexpr auto kPatience = std::chrono::seconds(10);

// Both connections are used from two threads.
inline const bool kThreadsReady = XInitThreads() != 0;

inline bool PollUntil(const std::function<bool()>& condition) {
  const auto deadline = Clock::now() + kPatience;
  while (!condition()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// The server resets itself when its last client leaves, and refuses
// connections while it does: the previous test's process may just have left.
inline Display* OpenDisplay() {
  Display* display = nullptr;
  PollUntil([&] { return (display = XOpenDisplay(nullptr)) != nullptr; });
  return display;
}

// A connection held for the rest of the process, so that the server does
// not reset between two tests; false when the server cannot be reached.
inline bool KeepServerUp() {
  static Display* const keeper = OpenDisplay();
  return keeper != nullptr;
}

// Windows the user looks at may vanish between finding them and the next
// look: on the user's connection that is no error. Every other error goes
// to the handler installed before.
inline std::atomic<Display*> userDisplay{nullptr};
inline XErrorHandler previousErrorHandler = nullptr;
inline int IgnoreVanishedWindows(Display* display, XErrorEvent* error) {
  if (display == userDisplay.load() && error->error_code == BadWindow) return 0;
  return previousErrorHandler ? previousErrorHandler(display, error) : 0;
}

// The user: a connection of its own that finds windows and sends input.
class User {
 public:
  explicit User(Display* display) : display_(display) {
    static std::once_flag once;
    std::call_once(once, [] { previousErrorHandler = XSetErrorHandler(&IgnoreVanishedWindows); });
    userDisplay = display;
  }

  // A viewable top-level window with this name, other than `except`; 0 when none shows up in time.
  Window WaitForWindow(const char* name, Window except = 0) {
    Window found = 0;
    PollUntil([&] {
      Window root, parent, *children = nullptr;
      unsigned count = 0;
      if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) return false;
      for (unsigned i = 0; i < count && !found; ++i) {
        char* title = nullptr;
        XWindowAttributes attributes;
        if (children[i] != except && XFetchName(display_, children[i], &title) && title && std::string(title) == name &&
            XGetWindowAttributes(display_, children[i], &attributes) && attributes.map_state == IsViewable)
          found = children[i];
        if (title) XFree(title);
      }
      if (children) XFree(children);
      return found != 0;
    });
    return found;
  }

  bool WaitForFocus(Window window) {
    return PollUntil([&] {
      Window focus = 0;
      int revert = 0;
      XGetInputFocus(display_, &focus, &revert);
      return focus == window;
    });
  }

  // The window that takes the keyboard focus as a child of `parent`; 0 when none does in time.
  Window WaitForFocusInside(Window parent) {
    Window inside = 0;
    PollUntil([&] {
      Window focus = 0, root = 0, above = 0, *children = nullptr;
      int revert = 0;
      unsigned count = 0;
      XGetInputFocus(display_, &focus, &revert);
      if (focus <= PointerRoot || !XQueryTree(display_, focus, &root, &above, &children, &count)) return false;
      if (children) XFree(children);
      if (above == parent) inside = focus;
      return inside != 0;
    });
    return inside;
  }

  // True once another client holds the keyboard grab.
  bool WaitForKeyboardGrab() {
    return PollUntil([&] {
      const int status =
          XGrabKeyboard(display_, DefaultRootWindow(display_), False, GrabModeAsync, GrabModeAsync, CurrentTime);
      if (status == GrabSuccess) XUngrabKeyboard(display_, CurrentTime);
      XSync(display_, False);
      return status == AlreadyGrabbed;
    });
  }

  bool PointerIsFree() {
    const bool free = XGrabPointer(display_, DefaultRootWindow(display_), False, ButtonPressMask, GrabModeAsync,
                                   GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
    if (free) XUngrabPointer(display_, CurrentTime);
    XSync(display_, False);
    return free;
  }

  void Key(KeySym symbol, bool shift = false) {
    const KeyCode shiftCode = XKeysymToKeycode(display_, XK_Shift_L);
    const KeyCode code = XKeysymToKeycode(display_, symbol);
    if (shift) XTestFakeKeyEvent(display_, shiftCode, True, 0);
    XTestFakeKeyEvent(display_, code, True, 0);
    XTestFakeKeyEvent(display_, code, False, 0);
    if (shift) XTestFakeKeyEvent(display_, shiftCode, False, 0);
    XSync(display_, False);
  }
  // Printable ASCII, with Shift where the keyboard map needs it.
  void Type(const char* text) {
    for (; *text; ++text) {
      const KeySym symbol = static_cast<unsigned char>(*text);  // Latin-1 keysyms equal the character
      Key(symbol, XkbKeycodeToKeysym(display_, XKeysymToKeycode(display_, symbol), 0, 0) != symbol);
    }
  }
  void ClickAt(int x, int y) {
    XTestFakeMotionEvent(display_, -1, x, y, 0);
    XTestFakeButtonEvent(display_, Button1, True, 0);
    XTestFakeButtonEvent(display_, Button1, False, 0);
    XSync(display_, False);
  }

 private:
  Display* display_;
};

}  // namespace x11user
