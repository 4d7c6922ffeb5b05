#include "Win32Dpi.h"

#include "ui/PanelZoom.h"

namespace win32 {

namespace {

constexpr UINT kBaseDpi = 96;

using WindowDpiCall = UINT(WINAPI*)(HWND);
using SystemDpiCall = UINT(WINAPI*)();
using SetThreadAwarenessCall = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
using WindowAwarenessCall = DPI_AWARENESS_CONTEXT(WINAPI*)(HWND);
using AwarenessOfCall = DPI_AWARENESS(WINAPI*)(DPI_AWARENESS_CONTEXT);

// user32's entries, null where the system lacks them.
struct DpiCalls {
  WindowDpiCall windowDpi;
  SystemDpiCall systemDpi;
  SetThreadAwarenessCall setThreadAwareness;
  WindowAwarenessCall windowAwareness;
  AwarenessOfCall awarenessOf;
};

template <typename Call>
Call FindInUser32(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

const DpiCalls& Calls() {
  static const DpiCalls calls{FindInUser32<WindowDpiCall>("GetDpiForWindow"),
                              FindInUser32<SystemDpiCall>("GetDpiForSystem"),
                              FindInUser32<SetThreadAwarenessCall>("SetThreadDpiAwarenessContext"),
                              FindInUser32<WindowAwarenessCall>("GetWindowDpiAwarenessContext"),
                              FindInUser32<AwarenessOfCall>("GetAwarenessFromDpiAwarenessContext")};
  return calls;
}

}  // namespace

UINT DpiOf(HWND window) {
  const DpiCalls& calls = Calls();
  if (window && calls.windowDpi)
    if (const UINT dpi = calls.windowDpi(window)) return dpi;
  if (calls.systemDpi)
    if (const UINT dpi = calls.systemDpi()) return dpi;
  int dpi = 0;
  if (HDC screen = GetDC(nullptr)) {
    dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
  }
  return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

int ZoomOfDpi(UINT dpi) { return NearestZoom(static_cast<double>(dpi) / kBaseDpi); }

DpiAwarenessScope::DpiAwarenessScope(HWND relative) {
  const DpiCalls& calls = Calls();
  if (!calls.setThreadAwareness) return;
  if (relative && calls.windowAwareness && calls.awarenessOf) {
    const DPI_AWARENESS_CONTEXT own = calls.windowAwareness(relative);
    if (own && calls.awarenessOf(own) != DPI_AWARENESS_PER_MONITOR_AWARE) {
      previous_ = calls.setThreadAwareness(own);
      return;
    }
  }
  previous_ = calls.setThreadAwareness(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  // The second version came with Windows 10 1703; Wine 8 refuses it.
  if (!previous_) previous_ = calls.setThreadAwareness(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
}

DpiAwarenessScope::~DpiAwarenessScope() {
  if (previous_) Calls().setThreadAwareness(previous_);
}

}  // namespace win32
