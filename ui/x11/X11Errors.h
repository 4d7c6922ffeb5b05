// Catching the protocol errors of one request on our own connection.
// Xlib reports errors through one process-wide handler whose default ends
// the process; a plug-in must neither die of an error that it can expect
// (a server that cannot share memory, a parent window the host destroyed
// first) nor take the host's errors away, so errors of other connections go
// on to the handler that was installed before.
#pragma once

#include <X11/Xlib.h>

namespace x11 {

class ErrorTrap {
 public:
  // Editor thread; traps are not nested.
  explicit ErrorTrap(Display* display);
  ~ErrorTrap();
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

  // Waits for the server to handle every request so far; true when one of
  // them failed.
  bool Failed();

 private:
  Display* display_;
};

}  // namespace x11
