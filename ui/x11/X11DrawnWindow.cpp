#include "X11DrawnWindow.h"

#include <X11/keysym.h>
#include <poll.h>

#include "ui/FontCache.h"
#include "ui/PanelZoom.h"

namespace x11ui {

namespace {

bool IsBgraVisual(const Visual* visual, int depth) {
  return visual && visual->c_class == TrueColor && (depth == 24 || depth == 32) && visual->red_mask == 0xFF0000 &&
         visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF;
}

}  // namespace

DrawnWindow::DrawnWindow(Display* display, Window parent, int x, int y, int width, int height, const Options& options)
    : display_(display) {
  if (!display || !parent || width <= 0 || height <= 0) return;
  XWindowAttributes parentAttributes;
  if (!XGetWindowAttributes(display, parent, &parentAttributes)) return;
  XSetWindowAttributes attributes;
  attributes.override_redirect = options.overrideRedirect ? True : False;
  attributes.event_mask = options.eventMask | ExposureMask | StructureNotifyMask;
  attributes.background_pixel = WhitePixelOfScreen(parentAttributes.screen);
  attributes.border_pixel = 0;
  // Same visual as the parent: a 32-bit parent would refuse a child of another depth without a colour map.
  attributes.colormap = parentAttributes.colormap;
  window_ = XCreateWindow(display, parent, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                          parentAttributes.depth, InputOutput, parentAttributes.visual,
                          CWOverrideRedirect | CWEventMask | CWBackPixel | CWBorderPixel | CWColormap, &attributes);
  if (!window_) return;
  bitmap_.Resize(width, height);
  if (!bitmap_.Pixels() || !IsBgraVisual(parentAttributes.visual, parentAttributes.depth)) return;
  image_ = XCreateImage(display, parentAttributes.visual, static_cast<unsigned>(parentAttributes.depth), ZPixmap, 0,
                        reinterpret_cast<char*>(bitmap_.Pixels()), static_cast<unsigned>(width),
                        static_cast<unsigned>(height), 32, bitmap_.RowSpan() * 4);
  if (!image_) return;
  // The bitmap's words are little-endian whatever the server's order; Xlib swaps when they differ.
  image_->byte_order = LSBFirst;
  gc_ = XCreateGC(display, window_, 0, nullptr);
}

DrawnWindow::~DrawnWindow() {
  if (image_) {
    image_->data = nullptr;  // the bitmap frees its own pixels
    XDestroyImage(image_);
  }
  if (gc_) XFreeGC(display_, gc_);
  if (window_) XDestroyWindow(display_, window_);
  if (display_) XFlush(display_);
}

void DrawnWindow::Present() {
  if (!image_ || !gc_) return;
  XPutImage(display_, window_, gc_, image_, 0, 0, 0, 0, static_cast<unsigned>(bitmap_.Width()),
            static_cast<unsigned>(bitmap_.Height()));
  XFlush(display_);
}

bool NextEvent(Display* display, XEvent* event, int timeoutMs) {
  if (!XPending(display)) {
    XFlush(display);
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    if (poll(&connection, 1, timeoutMs) <= 0 || !XPending(display)) return false;
  }
  XNextEvent(display, event);
  return true;
}

graphics::RasterCachedFont* ModalFont(int zoom) {
  static const TextStyle style("Tahoma", 13, ArgbColour{255, 0, 0, 0}, kTextNormal, kAlignLeft);
  return fontcache::FindOrCreate(Zoomed(style, zoom));
}

bool EditFieldWithKey(TextEntryModel& field, XKeyEvent& key) {
  char typed[8] = {};
  KeySym symbol = NoSymbol;
  const int count = XLookupString(&key, typed, sizeof typed, &symbol, nullptr);
  const bool shift = (key.state & ShiftMask) != 0;
  switch (symbol) {
    case XK_BackSpace: return field.Press(kTextKeyBackspace);
    case XK_Delete:
    case XK_KP_Delete: return field.Press(kTextKeyDelete);
    case XK_Left:
    case XK_KP_Left: return field.Press(kTextKeyLeft, shift);
    case XK_Right:
    case XK_KP_Right: return field.Press(kTextKeyRight, shift);
    case XK_Home:
    case XK_KP_Home: return field.Press(kTextKeyHome, shift);
    case XK_End:
    case XK_KP_End: return field.Press(kTextKeyEnd, shift);
    default: return count == 1 && field.Type(typed[0]);
  }
}

bool IsReturnKey(XKeyEvent& key) {
  const KeySym symbol = XLookupKeysym(&key, 0);
  return symbol == XK_Return || symbol == XK_KP_Enter;
}

bool IsEscapeKey(XKeyEvent& key) { return XLookupKeysym(&key, 0) == XK_Escape; }

}  // namespace x11ui
