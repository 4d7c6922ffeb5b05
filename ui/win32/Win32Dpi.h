// The display's scale on Windows: the DPI a window or the system draws at,
// and the per-monitor awareness the editor's own windows are made with.
// The calls are looked up in user32 at run time, as Windows before 10
// lacks them. Called on the thread that owns the windows.
#pragma once

#include <windows.h>

namespace win32 {

// The DPI `window` is drawn at; the system's when `window` is null or the
// system cannot tell, and 96 when nothing can.
UINT DpiOf(HWND window);

// The panel size of a DPI: 96 is 100 %.
int ZoomOfDpi(UINT dpi);

// While it lives, windows the thread makes for `relative` (their parent
// or owner, null for none) are per-monitor DPI aware, the second version
// where the system has it, when `relative` is per-monitor aware or absent.
// Otherwise they take its awareness: the system forces it on a child
// anyway, and reads the sizes it is given in the units of the thread's.
// The thread's previous awareness comes back at its end. Does nothing
// where the system has no awareness per thread.
class DpiAwarenessScope {
 public:
  explicit DpiAwarenessScope(HWND relative);
  ~DpiAwarenessScope();
  DpiAwarenessScope(const DpiAwarenessScope&) = delete;
  DpiAwarenessScope& operator=(const DpiAwarenessScope&) = delete;

 private:
  DPI_AWARENESS_CONTEXT previous_ = nullptr;
};

}  // namespace win32
