#include "X11Present.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstring>

#include "X11Errors.h"

namespace x11 {

Visual* FindPanelVisual(Display* display, int screen) {
  auto fits = [display](const XVisualInfo& info) {
    if (info.c_class != TrueColor || info.depth != 24 || info.red_mask != 0xFF0000 || info.green_mask != 0xFF00 ||
        info.blue_mask != 0xFF || ImageByteOrder(display) != LSBFirst)
      return false;
    int count = 0;
    bool wide = false;
    if (XPixmapFormatValues* formats = XListPixmapFormats(display, &count)) {
      for (int i = 0; i < count; ++i)
        if (formats[i].depth == 24) wide = formats[i].bits_per_pixel == 32;
      XFree(formats);
    }
    return wide;
  };
  XVisualInfo info;
  info.visualid = XVisualIDFromVisual(DefaultVisual(display, screen));
  int count = 0;
  if (XVisualInfo* found = XGetVisualInfo(display, VisualIDMask, &info, &count)) {
    const bool ok = count > 0 && fits(found[0]);
    Visual* visual = found[0].visual;
    XFree(found);
    if (ok) return visual;
  }
  if (XMatchVisualInfo(display, screen, 24, TrueColor, &info) && fits(info)) return info.visual;
  return nullptr;
}

void Presenter::Open(Display* display, Window window, Visual* visual, int width, int height) {
  Close();
  display_ = display;
  window_ = window;
  visual_ = visual;
  gc_ = XCreateGC(display, window, 0, nullptr);
  if (!AttachSharedImage(width, height)) shared_ = nullptr;
}

bool Presenter::AttachSharedImage(int width, int height) {
  if (!XShmQueryExtension(display_)) return false;
  shared_ = XShmCreateImage(display_, visual_, 24, ZPixmap, nullptr, &segment_, width, height);
  if (!shared_) return false;
  segment_.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(shared_->bytes_per_line) * height, IPC_CREAT | 0600);
  if (segment_.shmid < 0) {
    XDestroyImage(shared_);
    shared_ = nullptr;
    return false;
  }
  segment_.shmaddr = shared_->data = static_cast<char*>(shmat(segment_.shmid, nullptr, 0));
  segment_.readOnly = False;
  bool attached = segment_.shmaddr != reinterpret_cast<char*>(-1);
  if (attached) {
    // A server on another machine (or in another namespace) cannot reach
    // the segment: it answers the attach with an error.
    ErrorTrap trap(display_);
    attached = XShmAttach(display_, &segment_) && !trap.Failed();
  }
  // Marked for removal now, the segment goes when both sides detach, even
  // if the process dies.
  shmctl(segment_.shmid, IPC_RMID, nullptr);
  if (!attached) {
    if (segment_.shmaddr != reinterpret_cast<char*>(-1)) shmdt(segment_.shmaddr);
    shared_->data = nullptr;
    XDestroyImage(shared_);
    shared_ = nullptr;
    segment_ = {};
    return false;
  }
  return true;
}

void Presenter::Close() {
  if (!display_) return;
  if (shared_) {
    XShmDetach(display_, &segment_);
    XSync(display_, False);
    shmdt(segment_.shmaddr);
    shared_->data = nullptr;
    XDestroyImage(shared_);
    shared_ = nullptr;
    segment_ = {};
  }
  if (gc_) XFreeGC(display_, gc_);
  gc_ = nullptr;
  display_ = nullptr;
  window_ = 0;
}

void Presenter::Present(const graphics::RasterSysBitmap& bitmap, const Rect& area) {
  if (!display_ || !bitmap.Pixels()) return;
  const int left = std::max(0, area.left), top = std::max(0, area.top);
  const int right = std::min(area.right, bitmap.Width()), bottom = std::min(area.bottom, bitmap.Height());
  if (right <= left || bottom <= top) return;
  const int width = right - left, height = bottom - top;
  if (shared_ && right <= shared_->width && bottom <= shared_->height) {
    for (int y = top; y < bottom; ++y)
      std::memcpy(shared_->data + static_cast<size_t>(y) * shared_->bytes_per_line + left * 4,
                  bitmap.Pixels() + static_cast<size_t>(y) * bitmap.RowSpan() + left, static_cast<size_t>(width) * 4);
    XShmPutImage(display_, window_, gc_, shared_, left, top, left, top, width, height, False);
    // The next copy into the segment must wait until the server has read it.
    XSync(display_, False);
    return;
  }
  // An image over the bitmap's own memory; XPutImage has sent the pixels
  // when it returns.
  XImage* image = XCreateImage(display_, visual_, 24, ZPixmap, 0, reinterpret_cast<char*>(bitmap.Pixels()),
                               bitmap.Width(), bitmap.Height(), 32, bitmap.RowSpan() * 4);
  if (!image) return;
  XPutImage(display_, window_, gc_, image, left, top, left, top, width, height);
  image->data = nullptr;
  XDestroyImage(image);
  XFlush(display_);
}

}  // namespace x11
