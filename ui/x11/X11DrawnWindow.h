// What the editor's own menus, boxes and fields share on X11: a window
// whose pixels are copied from a raster bitmap, waiting for events without
// spinning, the font they are written in, and keys applied to a text field.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "graphics/RasterBitmap.h"
#include "graphics/RasterFont.h"
#include "plugin/PanelSizes.h"
#include "ui/TextEntryModel.h"

namespace x11ui {

class DrawnWindow {
 public:
  struct Options {
    bool overrideRedirect = false;
    long eventMask = 0;
  };
  // A window of the given size at (x, y) of `parent`, on the parent's
  // visual. Check IsDrawable(): the pixels are copied only to 24- and
  // 32-bit true-colour visuals with the usual channel masks.
  DrawnWindow(Display* display, Window parent, int x, int y, int width, int height, const Options& options);
  ~DrawnWindow();
  DrawnWindow(const DrawnWindow&) = delete;
  DrawnWindow& operator=(const DrawnWindow&) = delete;

  Window Handle() const { return window_; }
  bool IsDrawable() const { return image_ != nullptr; }
  graphics::RasterBitmap& Bitmap() { return bitmap_; }
  // Copies the bitmap to the window.
  void Present();

 private:
  Display* display_;
  Window window_ = 0;
  GC gc_ = nullptr;
  XImage* image_ = nullptr;  // wraps the bitmap's pixels, which it does not own
  graphics::RasterMemBitmap bitmap_;
};

// Takes the next event into *event, waiting at most timeoutMs for one to
// arrive; false when none came.
bool NextEvent(Display* display, XEvent* event, int timeoutMs);

// The font of the menus and boxes at `zoom` percent, from the editor's font
// cache; null when no font can be made (the boxes are then drawn without text).
graphics::RasterCachedFont* ModalFont(int zoom = kDefaultZoom);

// Applies a key press to a field: printable ASCII characters, Backspace,
// Delete, the arrows, Home and End (Shift extends the selection). True when
// the field changed.
bool EditFieldWithKey(TextEntryModel& field, XKeyEvent& key);

// True for a key event of Return (or keypad Enter), respectively Escape.
bool IsReturnKey(XKeyEvent& key);
bool IsEscapeKey(XKeyEvent& key);

}  // namespace x11ui
