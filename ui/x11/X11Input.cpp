#include "X11Input.h"

#include <X11/keysym.h>

#include <cstdlib>

#include "ui/Editor.h"

namespace x11 {

int EditorKeyCode(KeySym keysym) {
  switch (keysym) {
    case XK_space: return kKeySpace;
    case XK_Up: return kKeyUp;
    case XK_Down: return kKeyDown;
    case XK_Left: return kKeyLeft;
    case XK_Right: return kKeyRight;
    default: break;
  }
  if (keysym >= XK_0 && keysym <= XK_9) return kKeyDigit0 + static_cast<int>(keysym - XK_0);
  if (keysym >= XK_a && keysym <= XK_z) return kKeyLetterA + static_cast<int>(keysym - XK_a);
  if (keysym >= XK_A && keysym <= XK_Z) return kKeyLetterA + static_cast<int>(keysym - XK_A);
  return -1;
}

PointerMods PointerModsOf(unsigned int state, unsigned int button, bool pressed) {
  PointerMods mods;
  mods.left = button == kLeftButton ? pressed : (state & Button1Mask) != 0;
  mods.right = button == kRightButton ? pressed : (state & Button3Mask) != 0;
  mods.shift = state & ShiftMask;
  mods.control = state & ControlMask;
  mods.alt = state & Mod1Mask;
  return mods;
}

bool DoubleClickDetector::Press(Time time, int x, int y) {
  const bool twice =
      armed_ && time - time_ <= kMaxInterval && std::abs(x - x_) <= kMaxDistance && std::abs(y - y_) <= kMaxDistance;
  armed_ = !twice;
  time_ = time;
  x_ = x;
  y_ = y;
  return twice;
}

}  // namespace x11
