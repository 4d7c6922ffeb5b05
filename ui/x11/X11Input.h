// What the editor makes of X's keys, buttons and modifier states. X reports
// no double clicks, so they are recognised here from the press times.
#pragma once

#include <X11/Xlib.h>

#include "ui/PanelTypes.h"

namespace x11 {

// Pointer buttons as X numbers them; 4 and 5 are the wheel's notches.
enum PointerButton { kLeftButton = 1, kMiddleButton = 2, kRightButton = 3, kWheelUp = 4, kWheelDown = 5 };

// The editor's key code (EditorKey) of a key's unshifted keysym, or -1 for a
// key the editor knows nothing of.
int EditorKeyCode(KeySym keysym);

// The modifiers of an event: the held buttons and keys of `state` (X's
// state before the event), with `button` counted as held when it was just
// pressed and as up when it was just released.
PointerMods PointerModsOf(unsigned int state, unsigned int button = 0, bool pressed = true);

// The second press of the left button soon enough after the first and
// close enough to it.
class DoubleClickDetector {
 public:
  static constexpr Time kMaxInterval = 400;  // ms
  static constexpr int kMaxDistance = 4;     // pixels either way

  // One left-button press; true when it completes a double click (which
  // then cannot start another).
  bool Press(Time time, int x, int y);
  void Forget() { armed_ = false; }

 private:
  bool armed_ = false;
  Time time_ = 0;
  int x_ = 0;
  int y_ = 0;
};

}  // namespace x11
