// Mouse and keys sent through the system's input queue, as a user's reach
// a window: for tests of an editor in a window of its own.
#pragma once

#include <windows.h>

#include "tests/ui/win32/MessagePump.h"

namespace win32test {

inline void SendMouse(DWORD flags, int screenX = 0, int screenY = 0) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  if (flags & MOUSEEVENTF_MOVE) {
    flags |= MOUSEEVENTF_ABSOLUTE;
    input.mi.dx = MulDiv(screenX, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screenY, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

inline POINT OnScreen(HWND window, int x, int y) {
  POINT point{x, y};
  ClientToScreen(window, &point);
  return point;
}

inline void MoveTo(HWND window, int x, int y) {
  const POINT point = OnScreen(window, x, y);
  SendMouse(MOUSEEVENTF_MOVE, point.x, point.y);
}

inline void Key(WORD key, bool up = false) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

inline void Tap(WORD key) {
  Key(key);
  Key(key, true);
}

// A press at (x, y) in the window's client area, moved `dy` pixels down in
// four steps, then released; the window's ticks run between the steps.
inline void Drag(HWND window, int x, int y, int dy) {
  MoveTo(window, x, y);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  PumpFor(20);
  for (int step = 1; step <= 4; ++step) {
    MoveTo(window, x, y + dy * step / 4);
    PumpFor(20);
  }
  SendMouse(MOUSEEVENTF_LEFTUP);
  PumpFor(60);
}

}  // namespace win32test
