// Plain X11 top-level windows on the default display.
#include <X11/Xlib.h>

#include "EditorWindow.h"

namespace validator {

namespace {

class X11Windows : public EditorWindowSystem {
 public:
  explicit X11Windows(Display* display) : display_(display) {}
  ~X11Windows() override { XCloseDisplay(display_); }

  void* NewWindow(int width, int height) override {
    Window window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, static_cast<unsigned>(width),
                                        static_cast<unsigned>(height), 0, 0, 0);
    XStoreName(display_, window, "kestrion-validate");
    XMapWindow(display_, window);
    XSync(display_, False);
    return reinterpret_cast<void*>(window);
  }

  void Pump() override {
    while (XPending(display_)) {
      XEvent event;
      XNextEvent(display_, &event);
    }
  }

  void RemoveWindow(void* window) override {
    XDestroyWindow(display_, reinterpret_cast<Window>(window));
    XSync(display_, False);
  }

 private:
  Display* display_;
};

}  // namespace

std::unique_ptr<EditorWindowSystem> OpenEditorWindowSystem(std::string& why) {
  XInitThreads();
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    why = "no X display";
    return nullptr;
  }
  return std::make_unique<X11Windows>(display);
}

}  // namespace validator
