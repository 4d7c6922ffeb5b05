#include "X11DialogWindow.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <memory>

#include "X11Errors.h"

namespace x11ui {

namespace {

constexpr int kPollMs = 100;
constexpr long kInputEvents = KeyPressMask | ButtonPressMask | ButtonReleaseMask | FocusChangeMask;

DrawnWindow::Options DialogOptions() {
  DrawnWindow::Options options;
  options.eventMask = kInputEvents;
  return options;
}

// The top-left corner that centres a box over the panel (over the screen
// without one), kept on the screen.
void CentreOverPanel(const ModalContext& context, int width, int height, int* x, int* y) {
  Display* display = context.display;
  const int screen = DefaultScreen(display);
  const int screenWidth = DisplayWidth(display, screen), screenHeight = DisplayHeight(display, screen);
  int centreX = screenWidth / 2, centreY = screenHeight / 2;
  XWindowAttributes panel;
  Window child;
  int panelX = 0, panelY = 0;
  if (context.panel && XGetWindowAttributes(display, context.panel, &panel) &&
      XTranslateCoordinates(display, context.panel, RootWindow(display, screen), 0, 0, &panelX, &panelY, &child)) {
    centreX = panelX + panel.width / 2;
    centreY = panelY + panel.height / 2;
  }
  *x = std::max(0, std::min(centreX - width / 2, screenWidth - width));
  *y = std::max(0, std::min(centreY - height / 2, screenHeight - height));
}

}  // namespace

DialogWindow::DialogWindow(const ModalContext& context, const char* caption, int width, int height)
    : context_(context) {
  Display* display = context.display;
  if (!display) return;
  int x = 0, y = 0;
  CentreOverPanel(context, width, height, &x, &y);
  window_ = std::make_unique<DrawnWindow>(display, DefaultRootWindow(display), x, y, width, height, DialogOptions());
  deleteWindow_ = XInternAtom(display, "WM_DELETE_WINDOW", False);
  protocols_ = XInternAtom(display, "WM_PROTOCOLS", False);
  const Window window = window_->Handle();
  if (!window) return;
  XStoreName(display, window, caption ? caption : "");
  if (context.owner) XSetTransientForHint(display, window, context.owner);
  XSetWMProtocols(display, window, &deleteWindow_, 1);
  XSizeHints* hints = XAllocSizeHints();
  if (hints) {
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    hints->flags = PPosition | PMinSize | PMaxSize;
    hints->x = attributes.x;
    hints->y = attributes.y;
    hints->min_width = hints->max_width = width;
    hints->min_height = hints->max_height = height;
    XSetWMNormalHints(display, window, hints);
    XFree(hints);
  }
  const Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
  Atom dialog = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
  XChangeProperty(display, window, type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&dialog), 1);
  XMapRaised(display, window);
}

bool DialogWindow::IsCloseRequest(const XEvent& event) const {
  return event.type == ClientMessage && event.xclient.message_type == protocols_ &&
         static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_;
}

void DialogWindow::TakeFocus() {
  Display* display = context_.display;
  const Window window = Handle();
  // Only a viewable window may take the focus; asking for it otherwise is an error.
  XWindowAttributes attributes;
  if (!window || !XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) return;
  // A window manager may still unmap it in between.
  x11::ErrorTrap trap(display);
  XSetInputFocus(display, window, RevertToParent, CurrentTime);
  trap.Failed();
}

void DialogWindow::Run(const std::function<bool(XEvent&)>& handle) {
  Display* display = context_.display;
  const Window window = Handle();
  if (!display || !window) return;
  for (;;) {
    XEvent event;
    if (!NextEvent(display, &event, kPollMs)) continue;
    if (event.xany.window != window) {
      if (context_.otherEvent) context_.otherEvent(event);
      continue;
    }
    switch (event.type) {
      case Expose:
        if (event.xexpose.count == 0) window_->Present();
        break;
      case MapNotify:
        // Without a window manager nobody else gives a new window the focus.
        TakeFocus();
        break;
      case KeyPress:
      case ButtonPress:
      case ButtonRelease:
      case ClientMessage:
        if (handle(event)) return;
        break;
      default: break;
    }
  }
}

}  // namespace x11ui
