// The editor window's life in the host's window, its events and its tick,
// and the modal windows and text entry it opens over the panel. The driver
// thread that some formats add is in X11Driver.cpp.
#include <cstdint>
#include <cstdio>
#include <mutex>

#include "X11Editor.h"
#include "X11Errors.h"
#include "X11Process.h"
#include "X11Scale.h"
#include "plugin/EffectParameter.h"
#include "ui/EditorWindow.h"

namespace {

constexpr std::uintptr_t kLargestResourceId = 0x1FFFFFFF;

constexpr long kPanelEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | ButtonMotionMask | KeyPressMask |
                              KeyReleaseMask | FocusChangeMask | StructureNotifyMask;

// Xlib must be told once, before any connection of ours, that several
// threads may use it: hosts run their own connections on other threads.
void InitXlibThreads() {
  static std::once_flag once;
  std::call_once(once, [] { XInitThreads(); });
}

// The window holding `window` whose parent is the root: the host's
// top-level window.
Window TopLevelOf(Display* display, Window window) {
  for (;;) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
    if (children) XFree(children);
    if (parent == root || parent == 0) return window;
    window = parent;
  }
}

}  // namespace

Editor* CreateEditorWindow(EditorDelegate* delegate, int width, int height) {
  return new X11Editor(delegate, width, height);
}

X11Editor::X11Editor(EditorDelegate* delegate, int width, int height) : Editor(delegate, width, height) {}

X11Editor::~X11Editor() { CloseWindow(); }

void* X11Editor::OpenWindow(void* parent) {
  StopDriver();
  // Opened again without a close, the window keeps its place in the parent.
  int x = 0, y = 0;
  if (window_) {
    XWindowAttributes attributes;
    x11::ErrorTrap trap(display_);  // the host may have destroyed it
    if (XGetWindowAttributes(display_, window_, &attributes) && !trap.Failed()) {
      x = attributes.x;
      y = attributes.y;
    }
  }
  CloseWindow();
  // An X resource id has its top three bits clear: anything else (a
  // pointer, from a host that passes one) is no window of this server.
  const std::uintptr_t id = reinterpret_cast<std::uintptr_t>(parent);
  if (id == 0 || id > kLargestResourceId) return nullptr;
  const Window parentWindow = static_cast<Window>(id);
  InitXlibThreads();
  display_ = XOpenDisplay(nullptr);
  if (!display_) return nullptr;

  XWindowAttributes parentAttributes;
  bool parentExists;
  {
    x11::ErrorTrap trap(display_);
    parentExists = XGetWindowAttributes(display_, parentWindow, &parentAttributes) && !trap.Failed();
  }
  const int screen = parentExists ? XScreenNumberOfScreen(parentAttributes.screen) : 0;
  visual_ = parentExists ? x11::FindPanelVisual(display_, screen) : nullptr;
  if (!visual_) {
    if (parentExists)
      std::fprintf(stderr, "Kestrion: the X screen has no 24-bit true-colour visual; the editor cannot be shown\n");
    XCloseDisplay(display_);
    display_ = nullptr;
    return nullptr;
  }

  const Window root = RootWindow(display_, screen);
  colormap_ = visual_ == DefaultVisual(display_, screen) ? 0 : XCreateColormap(display_, root, visual_, AllocNone);
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None;  // every pixel comes from the bitmap: no flash of background
  attributes.border_pixel = 0;
  attributes.colormap = colormap_ ? colormap_ : DefaultColormap(display_, screen);
  attributes.event_mask = kPanelEvents;
  attributes.bit_gravity = NorthWestGravity;
  {
    x11::ErrorTrap trap(display_);
    window_ = XCreateWindow(display_, parentWindow, x, y, static_cast<unsigned>(Width()),
                            static_cast<unsigned>(Height()), 0, 24, InputOutput, visual_,
                            CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask | CWBitGravity, &attributes);
    if (trap.Failed()) window_ = 0;
  }
  if (!window_) {
    if (colormap_) XFreeColormap(display_, colormap_);
    colormap_ = 0;
    XCloseDisplay(display_);
    display_ = nullptr;
    return nullptr;
  }
  parent_ = parentWindow;
  parentWidth_ = parentAttributes.width;
  parentHeight_ = parentAttributes.height;
  XStoreName(display_, window_, "Kestrion");
  hostTopLevel_ = TopLevelOf(display_, parent_);
  presenter_.Open(display_, window_, visual_, Width(), Height());
  embedMessage_ = x11::EmbedMessageType(display_);
  embed_ = {};
  x11::AnnounceEmbedding(display_, window_);
  XMapWindow(display_, window_);
  XFlush(display_);
  MarkAllChanged();
  lastTick_ = std::chrono::steady_clock::now() - std::chrono::milliseconds(TimerPeriodMs());
  exposed_ = {};
  doubleClick_.Forget();
  windowOpen_.store(true, std::memory_order_release);
  StartDriver();
  return reinterpret_cast<void*>(window_);
}

void X11Editor::ResizeWindow() {
  if (!window_) return;
  {
    x11::ErrorTrap trap(display_);
    XResizeWindow(display_, window_, static_cast<unsigned>(Width()), static_cast<unsigned>(Height()));
  }
  presenter_.Close();
  presenter_.Open(display_, window_, visual_, Width(), Height());
  exposed_ = {};
  XFlush(display_);
}

bool X11Editor::ResizeHostWindow(int width, int height) {
  if (!parent_) return false;
  x11::ErrorTrap trap(display_);  // the host's window may be gone
  XResizeWindow(display_, parent_, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(display_, False);
  return !trap.Failed();
}

bool X11Editor::HostWindowSize(int* width, int* height) const {
  if (!parent_) return false;
  XWindowAttributes attributes;
  x11::ErrorTrap trap(display_);
  if (!XGetWindowAttributes(display_, parent_, &attributes) || trap.Failed()) return false;
  *width = attributes.width;
  *height = attributes.height;
  return true;
}

int X11Editor::SystemZoom() const {
  if (display_) return x11::X11SystemZoom(display_);
  // The display's resources need a connection of their own: they are read
  // once per process, so that making an editor stays quick.
  static const double displayDpi = [] {
    InitXlibThreads();
    Display* display = XOpenDisplay(nullptr);
    const double dpi = x11::DisplayDpi(display);
    if (display) XCloseDisplay(display);
    return dpi;
  }();
  return x11::SystemZoomFrom(displayDpi);
}

void X11Editor::CloseWindow() {
  StopDriver();
  x11::ReapLaunchedPrograms();
  windowOpen_.store(false, std::memory_order_release);
  if (!display_) return;
  CloseTextEntry();
  ReleaseCapture();
  presenter_.Close();
  if (window_) {
    // A host may have destroyed its window, and ours with it, already.
    x11::ErrorTrap trap(display_);
    XDestroyWindow(display_, window_);
  }
  if (colormap_) XFreeColormap(display_, colormap_);
  XCloseDisplay(display_);
  display_ = nullptr;
  window_ = parent_ = hostTopLevel_ = 0;
  colormap_ = 0;
  visual_ = nullptr;
}

bool X11Editor::ParentSizeAtOpen(int* width, int* height) const {
  if (!display_) return false;
  *width = parentWidth_;
  *height = parentHeight_;
  return true;
}

void X11Editor::HandleHostIdle() {
  if (ownDriver_) {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    lastHostIdle_.store(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count(), std::memory_order_release);
  }
  if (Turn turn{driveToken_}) Drive();
}

void X11Editor::Drive() {
  if (!display_) return;
  while (display_ && XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    HandleEvent(event);
  }
  if (!display_) return;
  RedrawExposed();
  // Ticks keep to the frame rate on average whatever the host's idle rate:
  // each is due one period after the last was due, not after it ran, and a
  // host that idles late gets one tick, never a burst.
  const auto now = std::chrono::steady_clock::now();
  const auto period = std::chrono::milliseconds(TimerPeriodMs());
  if (now >= lastTick_ + period) {
    lastTick_ = now - lastTick_ < 2 * period ? lastTick_ + period : now;
    Tick();
  }
  if (idleWork_) idleWork_();
  XFlush(display_);
}

void X11Editor::HandleEvent(XEvent& event) {
  if (entry_ && event.xany.window == entry_->Handle()) {
    const int state = entry_->HandleEvent(event);
    if (state >= 0) entryState_ = state;
    return;
  }
  if (!window_ || event.xany.window != window_) return;
  switch (event.type) {
    case ClientMessage: x11::ApplyEmbedMessage(event.xclient, embedMessage_, embed_); break;
    case Expose: {
      const XExposeEvent& e = event.xexpose;
      exposed_ = Union(exposed_, Rect{e.x, e.y, e.x + e.width, e.y + e.height});
      // A modal loop runs no idle: the panel behind it is kept painted here.
      if (modalDepth_ > 0 && e.count == 0) RedrawExposed();
      break;
    }
    case ButtonPress:
    case ButtonRelease:
      if (modalDepth_ == 0) HandleButton(event.xbutton);
      break;
    case MotionNotify: {
      if (modalDepth_ > 0 || entry_ || CaptureIndex() < 0) break;
      // Only the latest position of a run of moves counts; a move queued
      // after a release belongs to the next drag, so the run stops there.
      XEvent next;
      while (XEventsQueued(display_, QueuedAfterReading) > 0 && XPeekEvent(display_, &next) &&
             next.type == MotionNotify && next.xany.window == window_)
        XNextEvent(display_, &event);
      PointerDragged(event.xmotion.x, event.xmotion.y, x11::PointerModsOf(event.xmotion.state));
      break;
    }
    case KeyPress:
    case KeyRelease:
      if (modalDepth_ == 0) HandleKey(event.xkey);
      break;
    case DestroyNotify:
      // The host destroyed its window with ours inside: nothing is drawn any more.
      if (event.xdestroywindow.window == window_) {
        CloseTextEntry();
        presenter_.Close();
        window_ = 0;
        windowOpen_.store(false, std::memory_order_release);
      }
      break;
    default: break;
  }
}

void X11Editor::HandleButton(XButtonEvent& event) {
  const int x = event.x, y = event.y;
  if (event.type == ButtonRelease) {
    // Every button whose press the panel took has its release.
    if (event.button == x11::kLeftButton || event.button == x11::kMiddleButton || event.button == x11::kRightButton)
      PointerReleased(x, y, x11::PointerModsOf(event.state, event.button, false));
    return;
  }
  if (entry_) {
    // A press inside the entry is the entry's own.
    if (event.subwindow != entry_->Handle()) entryState_ = kEntryCancel;
    return;
  }
  // A dialog of the host's has the input for now.
  if (embed_.hostModal) return;
  switch (event.button) {
    case x11::kWheelUp:
    case x11::kWheelDown:
      PointerWheel(x, y, x11::PointerModsOf(event.state), event.button == x11::kWheelUp ? 1 : -1);
      return;
    case x11::kLeftButton:
    case x11::kMiddleButton:
    case x11::kRightButton: {
      // The keyboard stays where the host has it: the text entry, the one
      // part of the panel that needs keys, takes the focus itself.
      const PointerMods mods = x11::PointerModsOf(event.state, event.button, true);
      if (event.button == x11::kLeftButton && doubleClick_.Press(event.time, x, y)) {
        PointerDoubleClicked(x, y, mods);
        return;
      }
      if (event.button != x11::kLeftButton) doubleClick_.Forget();
      PointerPressed(x, y, mods);
      return;
    }
    default: return;
  }
}

void X11Editor::HandleKey(XKeyEvent& event) {
  // A key the host passes on is the panel's only while the host says the
  // panel has the focus.
  const bool offered = !event.send_event || embed_.focused;
  if (event.type == KeyPress && offered && !embed_.hostModal) {
    // Space is the host's transport key, whatever the pointer is over.
    const int code = x11::EditorKeyCode(XLookupKeysym(&event, 0));
    if (code >= 0 && code != kKeySpace && KeyPressed(event.x, event.y, code)) return;
  }
  ForwardKey(event);
}

bool X11Editor::HostKeyPressed(int key) {
  Turn turn{driveToken_};
  if (!turn || !window_ || modalDepth_ > 0 || entry_ || key == kKeySpace) return false;
  Window root, child;
  int rootX, rootY, x, y;
  unsigned int buttons;
  if (!XQueryPointer(display_, window_, &root, &child, &rootX, &rootY, &x, &y, &buttons)) return false;
  return KeyPressed(x, y, key);
}

void X11Editor::ForwardKey(XKeyEvent& event) {
  // A key the host sent us (an embedder passing on its keys) is not sent
  // back, or the two would pass it to and fro for ever.
  if (event.send_event || !hostTopLevel_ || hostTopLevel_ == window_) return;
  XEvent forwarded;
  forwarded.xkey = event;
  forwarded.xkey.window = hostTopLevel_;
  forwarded.xkey.subwindow = None;
  x11::ErrorTrap trap(display_);  // the host's window may be gone
  XSendEvent(display_, hostTopLevel_, False, event.type == KeyPress ? KeyPressMask : KeyReleaseMask, &forwarded);
}

void X11Editor::RedrawExposed() {
  if (exposed_.IsEmpty() || !window_) return;
  // Controls that changed outside the exposed area are drawn too: a redraw
  // marks every control drawn.
  Rect area = exposed_;
  for (int i = 0; i < ControlCount(); ++i)
    if (ControlAt(i)->NeedsDrawing()) area = Union(area, ControlAt(i)->Area());
  exposed_ = {};
  RedrawArea(area);
}

void X11Editor::Tick() {
  if (entry_ && entryState_ != kEntryIdle) {
    if (entryState_ == kEntryCommit) CommitTextEntry(entryControl_, entryParameter_, entry_->Text().c_str());
    if (entryState_ == kEntryCommit || entryState_ == kEntryCancel)
      CloseTextEntry();
    else
      entryState_ = kEntryIdle;
    return;
  }
  ApplyRecordedValues();
  Rect dirty;
  if (!CollectDirtyArea(&dirty)) return;
  // The entry is a child window: the copy leaves its area alone.
  RedrawArea(dirty);
  if (entry_) entryState_ = kEntryShown;
}

void X11Editor::PresentArea(const Rect& area) {
  if (!window_ || !EditorBitmap()) return;
  {
    // The host may destroy its window (and ours with it) at any moment; a
    // copy to a window that is gone must not end the host's process.
    x11::ErrorTrap trap(display_);
    presenter_.Present(*EditorBitmap(), area);
  }
  lastPresented_ = area;
  presentCount_.fetch_add(1, std::memory_order_release);
}

// -- text entry --------------------------------------------------------------

void X11Editor::OpenTextEntry(Control* control, const TextStyle& style, const Rect& rect, const char* text,
                              const EffectParameter* parameter) {
  if (!control || entry_ || !window_) return;
  x11ui::TextEntry::Filter filter = x11ui::TextEntry::kAnyText;
  if (parameter)
    filter = parameter->kind == EffectParameter::kContinuous ? x11ui::TextEntry::kSignedDecimal
                                                             : x11ui::TextEntry::kSignedInteger;
  entry_ = std::make_unique<x11ui::TextEntry>(display_, window_, rect, style, text ? text : "",
                                              control->TextEntryLimit(), filter, Zoom());
  entryControl_ = control;
  entryParameter_ = parameter;
  entryState_ = kEntryIdle;
}

void X11Editor::CancelTextEntry() {
  if (entry_) entryState_ = kEntryCancel;
}

void X11Editor::CloseTextEntry() {
  entry_.reset();
  entryControl_ = nullptr;
  entryParameter_ = nullptr;
  entryState_ = kEntryIdle;
}

// -- modal windows -----------------------------------------------------------

x11ui::ModalContext X11Editor::Modal() {
  x11ui::ModalContext context;
  context.zoom = Zoom();
  context.display = display_;
  context.panel = window_;
  context.owner = hostTopLevel_;
  context.otherEvent = [this](XEvent& event) { HandleEvent(event); };
  return context;
}

int X11Editor::ShowMessage(const char* text, const char* caption, int type) {
  if (!window_ || Stopping()) return Editor::ShowMessage(text, caption, type);
  ModalScope modal(modalDepth_);
  return x11ui::RunMessageBox(Modal(), text ? text : "", caption ? caption : "", type);
}

MenuList* X11Editor::RunPopupMenu(MenuList* menu, const Rect& rect) {
  ReleaseCapture();
  if (!menu || !window_ || Stopping()) return nullptr;
  int screenX = rect.left, screenY = rect.bottom;
  Window child;
  XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), rect.left, rect.bottom, &screenX, &screenY,
                        &child);
  int id;
  {
    ModalScope modal(modalDepth_);
    id = x11ui::RunPopupMenu(Modal(), *menu, screenX, screenY);
  }
  int index = -1;
  MenuList* owner = id >= 0 ? FindMenuCommand(menu, id, &index) : nullptr;
  if (owner && owner->Entry(index)->IsChoosable())
    owner->SetChosenIndex(index);
  else
    owner = nullptr;
  MarkAllChanged();
  return owner;
}
