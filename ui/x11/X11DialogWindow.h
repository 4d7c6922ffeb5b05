// The top-level window of a message box or path dialog: named, transient
// for the host's window, closable through the window manager, of a fixed
// size, centred over the panel, taking the keyboard focus once it is shown.
#pragma once

#include <functional>
#include <memory>

#include "X11DrawnWindow.h"
#include "X11Modal.h"

namespace x11ui {

class DialogWindow {
 public:
  DialogWindow(const ModalContext& context, const char* caption, int width, int height);

  // Only a drawable window has a bitmap worth drawing into.
  DrawnWindow& Drawn() { return *window_; }
  Window Handle() const { return window_ ? window_->Handle() : 0; }
  bool IsDrawable() const { return window_ && window_->IsDrawable(); }

  // Runs the window's events until `handle` returns true. `handle` sees the
  // key and button events of the window, and a close request from the
  // window manager as a ClientMessage; other windows' events go to the
  // context's otherEvent.
  void Run(const std::function<bool(XEvent&)>& handle);
  bool IsCloseRequest(const XEvent& event) const;
  // Gives the window the keyboard focus when it is viewable (done when it
  // is first shown; again after a box of its own has closed).
  void TakeFocus();

 private:
  const ModalContext& context_;
  std::unique_ptr<DrawnWindow> window_;
  Atom deleteWindow_ = None;
  Atom protocols_ = None;
};

}  // namespace x11ui
