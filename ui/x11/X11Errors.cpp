#include "X11Errors.h"

#include <atomic>
#include <mutex>

namespace x11 {
namespace {

std::mutex trapMutex;
std::atomic<Display*> trappedDisplay{nullptr};
std::atomic<bool> trappedError{false};
XErrorHandler previousHandler = nullptr;

int TrapHandler(Display* display, XErrorEvent* error) {
  if (display == trappedDisplay.load()) {
    trappedError = true;
    return 0;
  }
  return previousHandler ? previousHandler(display, error) : 0;
}

}  // namespace

ErrorTrap::ErrorTrap(Display* display) : display_(display) {
  trapMutex.lock();
  XSync(display_, False);  // earlier requests' errors are not ours to swallow
  trappedError = false;
  trappedDisplay = display_;
  previousHandler = XSetErrorHandler(&TrapHandler);
}

ErrorTrap::~ErrorTrap() {
  XSync(display_, False);
  XSetErrorHandler(previousHandler);
  trappedDisplay = nullptr;
  trapMutex.unlock();
}

bool ErrorTrap::Failed() {
  XSync(display_, False);
  return trappedError.load();
}

}  // namespace x11
