#include "Win32Editor.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/Module.h"
#include "plugin/EditorDelegate.h"
#include "ui/EditorWindow.h"

namespace {

// Every editor of the process shares one registration of the window class;
// only windows open and close touch it, on the host's user-interface thread.
int windowClassRegistrations = 0;

HINSTANCE ModuleInstance() { return static_cast<HINSTANCE>(platform::ThisModule()); }

Win32Editor* EditorOf(HWND window) { return reinterpret_cast<Win32Editor*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

// The editor's key code of a virtual key, or -1 for a key it does not know.
int KeyCodeOf(WPARAM key) {
  switch (key) {
    case VK_SPACE: return kKeySpace;
    case VK_UP: return kKeyUp;
    case VK_DOWN: return kKeyDown;
    case VK_LEFT: return kKeyLeft;
    case VK_RIGHT: return kKeyRight;
    default: break;
  }
  if (key >= 0x30 && key <= 0x39) return kKeyDigit0 + static_cast<int>(key - 0x30);
  if (key >= 0x41 && key <= 0x5A) return kKeyLetterA + static_cast<int>(key - 0x41);
  // Hosts that pass keys on as characters send the lower-case letters.
  if (key >= 0x61 && key <= 0x7A) return kKeyLetterA + static_cast<int>(key - 0x61);
  return -1;
}

PointerMods ModsOf(WPARAM keys) {
  PointerMods mods;
  mods.left = keys & MK_LBUTTON;
  mods.right = keys & MK_RBUTTON;
  mods.shift = keys & MK_SHIFT;
  mods.control = keys & MK_CONTROL;
  mods.alt = GetKeyState(VK_MENU) < 0;
  return mods;
}

RECT RectOf(const Rect& area) { return RECT{area.left, area.top, area.right, area.bottom}; }

}  // namespace

Editor* CreateEditorWindow(EditorDelegate* delegate, int width, int height) {
  return new Win32Editor(delegate, width, height);
}

Win32Editor::Win32Editor(EditorDelegate* delegate, int width, int height, int frameRate)
    : Editor(delegate, width, height, frameRate) {}

Win32Editor::~Win32Editor() {
  CloseWindow();
  // A window that went with the host's left the class registered; the
  // module may be unloaded next.
  if (windowClassRegistrations == 0) UnregisterClassA(kWindowClassName, ModuleInstance());
}

// -- the window's lifetime -------------------------------------------------------

void* Win32Editor::OpenWindow(void* parent) {
  parent_ = static_cast<HWND>(parent);
  int x = 0, y = 0, width = Width(), height = Height();
  if (window_) {
    // Opened again without a close: the window stays where the host had it.
    RECT rect;
    GetWindowRect(window_, &rect);
    MapWindowPoints(HWND_DESKTOP, parent_, reinterpret_cast<POINT*>(&rect), 2);
    x = rect.left;
    y = rect.top;
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    CloseWindow();
  }
  if (windowClassRegistrations == 0) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = ModuleInstance();
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClassName;
    // Still registered when a window went with its parent (see ForgetWindow).
    if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  }
  const int registrations = ++windowClassRegistrations;
  HWND made;
  {
    // The panel draws itself at the size its display asks for, so the
    // system need not scale its pixels.
    win32::DpiAwarenessScope dpi(parent_);
    made = CreateWindowExA(0, kWindowClassName, "Kestrion", WS_CHILD | WS_VISIBLE, x, y, width, height, parent_,
                           nullptr, ModuleInstance(), this);
  }
  if (!made) {
    // A window that failed after its creation message was forgotten (and
    // counted off) as it went.
    if (windowClassRegistrations == registrations) --windowClassRegistrations;
    window_ = nullptr;
    if (windowClassRegistrations == 0) UnregisterClassA(kWindowClassName, ModuleInstance());
    return nullptr;
  }
  // What the adapter needs to ask a host whose window is too small to grow it.
  if (!HostWindowSize(&parentWidth_, &parentHeight_)) parentWidth_ = parentHeight_ = -1;
  MarkAllChanged();
  return window_;
}

void Win32Editor::CloseWindow() {
  if (!window_) return;
  CloseTextEntry();
  DestroyWindow(window_);  // ends in ForgetWindow
  if (windowClassRegistrations == 0) UnregisterClassA(kWindowClassName, ModuleInstance());
}

void Win32Editor::ForgetWindow() {
  // The timer and the entry went with the window; the font did not.
  if (textEntryFont_) DeleteObject(textEntryFont_);
  textEntryFont_ = nullptr;
  textEntry_ = nullptr;
  editedControl_ = nullptr;
  editedParameter_ = nullptr;
  previousEntryProc_ = nullptr;
  entryState_ = kEntryIdle;
  window_ = nullptr;
  // The class cannot go while its last window is being destroyed:
  // CloseWindow unregisters it right after.
  --windowClassRegistrations;
}

// -- the panel's size ---------------------------------------------------------------

void Win32Editor::ResizeWindow() {
  if (!window_) return;
  // The entry's control is about to be built again at the new size.
  CloseTextEntry();
  SetWindowPos(window_, nullptr, 0, 0, Width(), Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Drawn whole at the next paint, once the controls are built again.
  InvalidateRect(window_, nullptr, FALSE);
}

bool Win32Editor::ResizeHostWindow(int width, int height) {
  if (!parent_ || !IsWindow(parent_)) return false;
  // A frame, a caption or a menu bar keeps its size around the new client area.
  RECT outer, client;
  GetWindowRect(parent_, &outer);
  GetClientRect(parent_, &client);
  const int frameWidth = (outer.right - outer.left) - client.right;
  const int frameHeight = (outer.bottom - outer.top) - client.bottom;
  return SetWindowPos(parent_, nullptr, 0, 0, width + frameWidth, height + frameHeight,
                      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

bool Win32Editor::ParentSizeAtOpen(int* width, int* height) const {
  if (!window_ || parentWidth_ < 0) return false;
  *width = parentWidth_;
  *height = parentHeight_;
  return true;
}

bool Win32Editor::HostWindowSize(int* width, int* height) const {
  RECT client;
  if (!parent_ || !IsWindow(parent_) || !GetClientRect(parent_, &client)) return false;
  *width = client.right;
  *height = client.bottom;
  return true;
}

int Win32Editor::SystemZoom() const { return win32::ZoomOfDpi(win32::DpiOf(window_ ? parent_ : nullptr)); }

void Win32Editor::FollowDisplayScale(UINT dpi) {
  if (Delegate() && Delegate()->ChosenPanelZoom() != 0) return;
  RequestZoom(win32::ZoomOfDpi(dpi), false);
}

// -- the window procedure --------------------------------------------------------

LRESULT CALLBACK Win32Editor::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    auto* editor = static_cast<Win32Editor*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(editor));
    editor->window_ = window;
    SetTimer(window, kTimerId, static_cast<UINT>(editor->TimerPeriodMs()), nullptr);
    // The keyboard stays with the host (its space bar starts the transport):
    // the panel takes it only for a text entry.
    return 0;
  }
  Win32Editor* editor = EditorOf(window);
  if (!editor || editor->window_ != window) return DefWindowProcA(window, message, wParam, lParam);
  return editor->HandleMessage(window, message, wParam, lParam);
}

LRESULT Win32Editor::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  if (message == WM_NCDESTROY) {
    ForgetWindow();
    return DefWindowProcA(window, message, wParam, lParam);
  }
  // Taken even while an entry is typed into: the size changes at a later tick.
  if (message == WM_DPICHANGED_AFTERPARENT || message == WM_DPICHANGED) {
    FollowDisplayScale(message == WM_DPICHANGED ? LOWORD(wParam) : win32::DpiOf(window));
    return 0;
  }
  if (textEntry_ && entryState_ == kEntryFocused) {
    // The entry is being typed into: a press on the panel discards it, and
    // the panel is left alone until it is done.
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) {
      entryState_ = kEntryCancel;
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }
  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS: return 0;
    case WM_PAINT: {
      RECT update;
      if (GetUpdateRect(window, &update, FALSE)) RedrawArea({update.left, update.top, update.right, update.bottom});
      ValidateRect(window, nullptr);  // a panel without controls presents nothing
      return 0;
    }
    case WM_CLOSE: CloseWindow(); return 0;
    case WM_KEYDOWN: {
      const int key = KeyCodeOf(wParam);
      if (key >= 0) {
        POINT cursor;
        GetCursorPos(&cursor);
        ScreenToClient(window, &cursor);
        if (KeyPressed(cursor.x, cursor.y, key)) return 0;
      }
      HWND root = GetAncestor(window, GA_ROOT);
      return root && root != window ? SendMessageA(root, message, wParam, lParam) : 0;
    }
    case WM_KEYUP: {
      HWND root = GetAncestor(window, GA_ROOT);
      return root && root != window ? SendMessageA(root, message, wParam, lParam) : 0;
    }
    case WM_TIMER:
      if (wParam != kTimerId) break;
      Tick();
      return 0;
    case WM_CTLCOLOREDIT: {
      if (!editedControl_) return 0;
      const TextStyle& style = editedControl_->Style();
      const ArgbColour& fill = style.entryBackground;
      const COLORREF background = RGB(fill.red, fill.green, fill.blue);
      HDC context = reinterpret_cast<HDC>(wParam);
      SetBkColor(context, background);
      SetTextColor(context, RGB(style.entryText.red, style.entryText.green, style.entryText.blue));
      SetBkMode(context, OPAQUE);
      SetDCBrushColor(context, background);
      return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    }
    case WM_MOUSEMOVE:
      // Without a button: hovering, which this panel does not follow.
      if ((wParam & (MK_LBUTTON | MK_RBUTTON)) && GetCapture() == window && !textEntry_)
        PointerDragged(x, y, ModsOf(wParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (textEntry_) {
        entryState_ = kEntryCommit;
        return 0;
      }
      SetCapture(window);
      PointerPressed(x, y, ModsOf(wParam));
      return 0;
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
    case WM_RBUTTONUP:
      ::ReleaseCapture();
      PointerReleased(x, y, ModsOf(wParam));
      return 0;
    case WM_LBUTTONDBLCLK:
      if (PointerDoubleClicked(x, y, ModsOf(wParam))) SetCapture(window);
      return 0;
    case WM_MOUSEWHEEL: {
      if (textEntry_) {
        entryState_ = kEntryCancel;
        return 0;
      }
      RECT screen;
      GetWindowRect(window, &screen);
      const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
      PointerWheel(x - screen.left, y - screen.top, ModsOf(GET_KEYSTATE_WPARAM(wParam)), notches);
      return 0;
    }
    default: break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// -- the redraw cycle --------------------------------------------------------------

void Win32Editor::Tick() {
  if (modalDepth_ > 0) return;
  if (textEntry_ && entryState_ != kEntryIdle) {
    if (entryState_ == kEntryFocused || entryState_ == kEntryShown) {
      entryState_ = kEntryIdle;
      return;
    }
    char text[32] = {};
    if (entryState_ == kEntryCommit) GetWindowTextA(textEntry_, text, sizeof text);
    Control* control = editedControl_;
    const EffectParameter* parameter = editedParameter_;
    const bool commit = entryState_ == kEntryCommit;
    // Gone before it is applied: applying may show a box whose message
    // loop runs this tick again.
    CloseTextEntry();
    if (commit) CommitTextEntry(control, parameter, text);
    return;
  }
  ApplyRecordedValues();
  Rect dirty;
  if (!CollectDirtyArea(&dirty)) return;
  const RECT area = RectOf(dirty);
  InvalidateRect(window_, &area, FALSE);
  if (textEntry_ && editedControl_) {
    // The entry covers its control: the panel is drawn around it.
    const RECT covered = RectOf(editedControl_->Area());
    ValidateRect(window_, &covered);
    UpdateWindow(window_);
    entryState_ = kEntryShown;
  } else {
    UpdateWindow(window_);
  }
}

void Win32Editor::PresentArea(const Rect& area) {
  if (!window_ || !EditorBitmap()) return;
  PAINTSTRUCT paint;
  HDC context = BeginPaint(window_, &paint);
  BitBlt(context, area.left, area.top, area.Width(), area.Height(), static_cast<HDC>(EditorBitmap()->DeviceContext()),
         area.left, area.top, SRCCOPY);
  EndPaint(window_, &paint);
}
