// Copying rectangles of the editor bitmap to the editor's window: through a
// shared-memory image where the server can attach one (a local server),
// else with the pixels sent in the request.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include "graphics/RasterSysBitmap.h"
#include "ui/PanelTypes.h"

namespace x11 {

// The visual the editor's pixels can be shown with as they are: 24-bit
// TrueColor, 32 bits a pixel, red, green and blue in bytes 2, 1 and 0 of a
// little-endian word; null when the screen has none.
Visual* FindPanelVisual(Display* display, int screen);

class Presenter {
 public:
  Presenter() = default;
  ~Presenter() { Close(); }
  Presenter(const Presenter&) = delete;
  Presenter& operator=(const Presenter&) = delete;

  // Editor thread, for a window of FindPanelVisual's visual.
  void Open(Display* display, Window window, Visual* visual, int width, int height);
  void Close();
  // Copies `area` (clipped to the bitmap) to the same place in the window.
  void Present(const graphics::RasterSysBitmap& bitmap, const Rect& area);
  bool SharesMemory() const { return shared_ != nullptr; }

 private:
  bool AttachSharedImage(int width, int height);

  Display* display_ = nullptr;
  Window window_ = 0;
  Visual* visual_ = nullptr;
  GC gc_ = nullptr;
  XImage* shared_ = nullptr;
  XShmSegmentInfo segment_{};
};

}  // namespace x11
