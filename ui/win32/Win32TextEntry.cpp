// The in-place text entry: a standard edit control laid over the control
// being edited, whose keys and focus changes set the entry state that the
// window's timer then carries out.
#include "Win32Editor.h"

#include "plugin/EffectParameter.h"

namespace {

// What a parameter's entry lets through: signed whole numbers, and a
// decimal point for continuous values.
bool AcceptedByParameter(const EffectParameter& parameter, WPARAM character) {
  if (character == VK_BACK) return true;
  if (character == '+' || character == '-' || (character >= '0' && character <= '9')) return true;
  return character == '.' && parameter.kind == EffectParameter::kContinuous;
}

}  // namespace

void Win32Editor::OpenTextEntry(Control* control, const TextStyle& style, const Rect& rect, const char* text,
                                const EffectParameter* parameter) {
  if (!control || textEntry_ || !window_) return;
  DWORD alignment = ES_LEFT;
  if (style.alignment == kAlignCentre)
    alignment = ES_CENTER;
  else if (style.alignment == kAlignRight)
    alignment = ES_RIGHT;
  HWND entry;
  {
    // In the panel's pixels, like the window it lies on.
    win32::DpiAwarenessScope dpi(window_);
    entry =
        CreateWindowExA(0, "EDIT", text ? text : "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL | alignment,
                        rect.left, rect.top, rect.right - rect.left + 1, rect.bottom - rect.top + 1, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextEntryId)),
                        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window_, GWLP_HINSTANCE)), nullptr);
  }
  if (!entry) return;
  // The press that opened the entry ends here: while it is typed into, the
  // panel takes no release.
  ::ReleaseCapture();
  textEntryFont_ = CreateFontA(style.size, 0, 0, 0, (style.style & kTextBold) ? FW_BOLD : FW_DONTCARE,
                               (style.style & kTextItalic) ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, style.face);
  if (textEntryFont_) SendMessageA(entry, WM_SETFONT, reinterpret_cast<WPARAM>(textEntryFont_), FALSE);
  SendMessageA(entry, EM_LIMITTEXT, static_cast<WPARAM>(control->TextEntryLimit()), 0);
  SendMessageA(entry, EM_SETSEL, 0, -1);
  textEntry_ = entry;
  editedControl_ = control;
  editedParameter_ = parameter;
  previousEntryProc_ =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(entry, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TextEntryProc)));
  SetWindowLongPtrA(entry, GWLP_USERDATA, kTextEntryMarker);
  focusBeforeEntry_ = GetFocus();
  SetFocus(entry);
}

void Win32Editor::CloseTextEntry() {
  if (textEntry_) {
    HWND entry = textEntry_;
    textEntry_ = nullptr;
    SetWindowLongPtrA(entry, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousEntryProc_));
    DestroyWindow(entry);
    // The keyboard goes back to where it was, the host's window as a rule.
    if (focusBeforeEntry_ && IsWindow(focusBeforeEntry_) && focusBeforeEntry_ != entry) SetFocus(focusBeforeEntry_);
    focusBeforeEntry_ = nullptr;
  }
  if (textEntryFont_) DeleteObject(textEntryFont_);
  textEntryFont_ = nullptr;
  editedControl_ = nullptr;
  editedParameter_ = nullptr;
  previousEntryProc_ = nullptr;
  entryState_ = kEntryIdle;
}

LRESULT CALLBACK Win32Editor::TextEntryProc(HWND entry, UINT message, WPARAM wParam, LPARAM lParam) {
  // The entry's own user data is the marker; the editor is its parent's.
  HWND parent = GetParent(entry);
  auto* editor = parent ? reinterpret_cast<Win32Editor*>(GetWindowLongPtrA(parent, GWLP_USERDATA)) : nullptr;
  if (!editor || GetWindowLongPtrA(entry, GWLP_USERDATA) != kTextEntryMarker || editor->textEntry_ != entry ||
      editor->window_ != parent)
    return DefWindowProcA(entry, message, wParam, lParam);
  return editor->HandleEntryMessage(entry, message, wParam, lParam);
}

LRESULT Win32Editor::HandleEntryMessage(HWND entry, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC previous = previousEntryProc_;
  switch (message) {
    case WM_SETFOCUS: entryState_ = kEntryFocused; break;
    case WM_KILLFOCUS: entryState_ = kEntryCommit; break;
    case WM_GETDLGCODE: {
      LRESULT code = CallWindowProcA(previous, entry, message, wParam, lParam);
      const MSG* queried = reinterpret_cast<const MSG*>(lParam);
      if (!editedParameter_ && queried && queried->message == WM_KEYDOWN && queried->wParam == VK_RETURN)
        code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        entryState_ = kEntryCommit;
        return 0;
      }
      if (wParam == VK_ESCAPE) {
        entryState_ = kEntryCancel;
        return 0;
      }
      break;
    case WM_CHAR:
      // Return and Escape were taken as keys; their characters would land
      // in the multi-line edit as a line break.
      if (wParam == '\r' || wParam == '\n' || wParam == VK_ESCAPE) return 0;
      if (editedParameter_ && !AcceptedByParameter(*editedParameter_, wParam)) return 0;
      break;
    case WM_COMMAND:
      if (HIWORD(wParam) == 1) {
        entryState_ = kEntryCommit;
        return 0;
      }
      break;
    default: break;
  }
  return CallWindowProcA(previous, entry, message, wParam, lParam);
}
