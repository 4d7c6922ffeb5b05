// Popup menus as override-redirect windows, one per open (sub)menu, with the
// pointer and keyboard grabbed so that a click anywhere else closes them.
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "X11DrawnWindow.h"
#include "X11Modal.h"
#include "ui/PopupMenuView.h"

namespace x11ui {

namespace {

constexpr int kPollMs = 100;
// How long to keep asking for the grabs while another client holds them.
constexpr int kGrabPatienceMs = 2000;
constexpr long kPointerEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;

struct OpenMenu {
  const MenuList* list;
  std::unique_ptr<DrawnWindow> window;
};

int MenuKeyOf(XKeyEvent& key) {
  switch (XLookupKeysym(&key, 0)) {
    case XK_Up:
    case XK_KP_Up: return kMenuKeyUp;
    case XK_Down:
    case XK_KP_Down: return kMenuKeyDown;
    case XK_Left:
    case XK_KP_Left: return kMenuKeyLeft;
    case XK_Right:
    case XK_KP_Right: return kMenuKeyRight;
    case XK_Return:
    case XK_KP_Enter: return kMenuKeyReturn;
    case XK_Escape: return kMenuKeyEscape;
    default: return -1;
  }
}

// The grabs are released on every way out.
class Grabs {
 public:
  explicit Grabs(Display* display) : display_(display) {}
  ~Grabs() {
    if (pointer_) XUngrabPointer(display_, CurrentTime);
    if (keyboard_) XUngrabKeyboard(display_, CurrentTime);
    // Done once the server has done it: the next click may come through another connection.
    XSync(display_, False);
  }
  bool Complete() const { return pointer_ && keyboard_; }
  // Everything goes to the root menu's window (owner events off), so that a
  // click on the panel reaches the menu and not the panel.
  void Try(Window window) {
    if (!pointer_)
      pointer_ = XGrabPointer(display_, window, False, kPointerEvents, GrabModeAsync, GrabModeAsync, None, None,
                              CurrentTime) == GrabSuccess;
    if (!keyboard_)
      keyboard_ = XGrabKeyboard(display_, window, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
  }

 private:
  Display* display_;
  bool pointer_ = false;
  bool keyboard_ = false;
};

}  // namespace

int RunPopupMenu(const ModalContext& context, const MenuList& menu, int screenX, int screenY) {
  Display* display = context.display;
  if (!display || menu.Count() == 0) return -1;
  const int screen = DefaultScreen(display);
  const Window root = RootWindow(display, screen);
  PopupMenuStack stack(menu, ModalFont(context.zoom), screenX, screenY, DisplayWidth(display, screen),
                       DisplayHeight(display, screen), context.zoom);

  std::vector<OpenMenu> open;
  std::vector<Window> gone;  // their late events are dropped, not passed on
  const auto sync = [&] {
    for (int depth = 0; depth < static_cast<int>(open.size()); ++depth) {
      if (depth < stack.Depth() && open[static_cast<std::size_t>(depth)].list == &stack.Level(depth).List()) continue;
      for (std::size_t i = static_cast<std::size_t>(depth); i < open.size(); ++i)
        gone.push_back(open[i].window->Handle());
      open.resize(static_cast<std::size_t>(depth));
      break;
    }
    for (int depth = 0; depth < stack.Depth(); ++depth) {
      const PopupMenuView& view = stack.Level(depth);
      if (depth == static_cast<int>(open.size())) {
        DrawnWindow::Options options;
        options.overrideRedirect = true;
        options.eventMask = kPointerEvents | KeyPressMask;
        auto window =
            std::make_unique<DrawnWindow>(display, root, view.left, view.top, view.Width(), view.Height(), options);
        XStoreName(display, window->Handle(), "menu");
        XMapRaised(display, window->Handle());
        open.push_back({&view.List(), std::move(window)});
      }
      DrawnWindow& window = *open[static_cast<std::size_t>(depth)].window;
      view.Draw(window.Bitmap());
      window.Present();
    }
  };
  sync();
  if (!open.front().window->IsDrawable()) return -1;

  Grabs grabs(display);
  const auto grabDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGrabPatienceMs);
  // The button that opened the menu is usually still down: its release must
  // not choose whatever lies under it, so releases count only once the
  // pointer has moved over a menu or pressed inside one.
  bool armed = false;
  while (stack.Outcome() == kMenuOpen) {
    if (!grabs.Complete() && std::chrono::steady_clock::now() < grabDeadline) grabs.Try(open.front().window->Handle());
    XEvent event;
    if (!NextEvent(display, &event, kPollMs)) continue;
    const Window target = event.xany.window;
    const auto mine =
        std::find_if(open.begin(), open.end(), [&](const OpenMenu& each) { return each.window->Handle() == target; });
    if (mine == open.end()) {
      if (std::find(gone.begin(), gone.end(), target) == gone.end() && context.otherEvent) context.otherEvent(event);
      continue;
    }
    bool changed = false;
    switch (event.type) {
      case Expose:
        if (event.xexpose.count == 0) mine->window->Present();
        break;
      case MapNotify:
        if (mine == open.begin()) grabs.Try(target);
        break;
      case KeyPress: {
        const int key = MenuKeyOf(event.xkey);
        if (key >= 0) changed = stack.Key(key);
        break;
      }
      case MotionNotify: {
        const int depth = stack.LevelAt(event.xmotion.x_root, event.xmotion.y_root);
        if (depth < 0) break;
        armed = true;
        const PopupMenuView& view = stack.Level(depth);
        changed =
            stack.PointerOver(depth, view.EntryAt(event.xmotion.x_root - view.left, event.xmotion.y_root - view.top));
        break;
      }
      case ButtonPress:
      case ButtonRelease: {
        if (event.xbutton.button > Button3) break;  // the wheel
        const int depth = stack.LevelAt(event.xbutton.x_root, event.xbutton.y_root);
        if (depth < 0) {
          if (event.type == ButtonPress) stack.Dismiss();
          break;
        }
        const PopupMenuView& view = stack.Level(depth);
        const int entry = view.EntryAt(event.xbutton.x_root - view.left, event.xbutton.y_root - view.top);
        const MenuEntry* chosen = view.List().Entry(entry);
        // A press opens a submenu; a choice waits for the release.
        if (event.type == ButtonPress) {
          armed = true;
          if (chosen && chosen->submenu) changed = stack.Click(depth, entry);
        } else if (armed && chosen && !chosen->submenu) {
          changed = stack.Click(depth, entry);
        }
        break;
      }
      default: break;
    }
    if (changed && stack.Outcome() == kMenuOpen) sync();
  }
  return stack.Outcome() == kMenuChosen ? stack.ChosenId() : -1;
}

}  // namespace x11ui
