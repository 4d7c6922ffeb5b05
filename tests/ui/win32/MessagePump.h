// The test thread's window messages, run the way a host's UI thread runs
// them, and a window standing for a host's, for tests of an editor
// embedded in it.
#pragma once

#include <windows.h>

#include <functional>

namespace win32test {

// Runs the thread's messages until `done` or the deadline.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (done()) return true;
    if (GetTickCount64() > deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// A few of the editor's 40 ms ticks.
inline void PumpFor(int ms) {
  const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(ms);
  PumpUntil([&] { return GetTickCount64() >= until; }, ms + 1000);
}

// A visible top-level window of `width` × `height` at the screen's corner.
inline HWND MakeHostWindow(const char* className, int width, int height) {
  WNDCLASSEXA hostClass{};
  hostClass.cbSize = sizeof hostClass;
  hostClass.lpfnWndProc = DefWindowProcA;
  hostClass.hInstance = GetModuleHandleA(nullptr);
  hostClass.lpszClassName = className;
  RegisterClassExA(&hostClass);
  return CreateWindowExA(0, className, "Test host", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                         hostClass.hInstance, nullptr);
}

}  // namespace win32test
