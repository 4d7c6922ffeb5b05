// The in-place text entry: a drawn field in a child window of the panel,
// which takes the keyboard focus when it opens.
#include "X11DrawnWindow.h"
#include "X11Errors.h"
#include "X11Modal.h"
#include "ui/FontCache.h"
#include "ui/TextFieldView.h"

namespace x11ui {

namespace {

constexpr long kEntryEvents = KeyPressMask | ButtonPressMask | FocusChangeMask;

int ModelFilter(TextEntry::Filter filter) {
  switch (filter) {
    case TextEntry::kSignedInteger: return kFilterSignedInteger;
    case TextEntry::kSignedDecimal: return kFilterSignedDecimal;
    default: return kFilterAnyText;
  }
}

// Focus that moves only because the pointer did, or because a menu grabbed
// the keyboard for a moment, is not the user leaving the field.
bool IsRealFocusChange(const XFocusChangeEvent& focus) {
  return (focus.mode == NotifyNormal || focus.mode == NotifyWhileGrabbed) && focus.detail != NotifyPointer &&
         focus.detail != NotifyInferior;
}

}  // namespace

struct TextEntry::State {
  State(Display* display, Window panel, const Rect& rect, const TextStyle& style, const char* text, int limit,
        Filter filter, int zoom)
      : window(display, panel, rect.left, rect.top, rect.right - rect.left + 1, rect.bottom - rect.top + 1,
               DrawnWindow::Options{false, kEntryEvents}),
        field(text ? text : "", limit, ModelFilter(filter)),
        font(fontcache::FindOrCreate(style)) {
    look.background = style.entryBackground.Packed();
    look.text = style.entryText.Packed();
    look.alignment = style.alignment;
    look.zoom = zoom;
  }

  void Redraw() {
    if (!window.IsDrawable() || !font) return;
    graphics::RasterBitmap& bitmap = window.Bitmap();
    DrawTextField(bitmap, *font, field, {0, 0, bitmap.Width(), bitmap.Height()}, look, focused);
    window.Present();
  }

  DrawnWindow window;
  TextEntryModel field;
  graphics::RasterCachedFont* font;
  TextFieldLook look;
  bool focused = false;
};

TextEntry::TextEntry(Display* display, Window panel, const Rect& rect, const TextStyle& style, const char* text,
                     int limit, Filter filter, int zoom)
    : state_(new State(display, panel, rect, style, text, limit, filter, zoom)) {
  const Window window = state_->window.Handle();
  if (!window) return;
  XMapRaised(display, window);
  XSync(display, False);
  // Focus can go only to a viewable window; a panel that is not shown leaves
  // the entry without it.
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable) {
    x11::ErrorTrap trap(display);
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    trap.Failed();
  }
  state_->Redraw();
}

TextEntry::~TextEntry() = default;

Window TextEntry::Handle() const { return state_->window.Handle(); }

std::string TextEntry::Text() const { return state_->field.Text(); }

int TextEntry::HandleEvent(XEvent& event) {
  State& state = *state_;
  if (event.xany.window != state.window.Handle()) return -1;
  switch (event.type) {
    case Expose:
      if (event.xexpose.count == 0) state.Redraw();
      return -1;
    case FocusIn:
      if (!IsRealFocusChange(event.xfocus)) return -1;
      state.focused = true;
      state.Redraw();
      return kEntryFocused;
    case FocusOut:
      if (!IsRealFocusChange(event.xfocus)) return -1;
      state.focused = false;
      state.Redraw();
      return kEntryCommit;
    case KeyPress:
      if (IsReturnKey(event.xkey)) return kEntryCommit;
      if (IsEscapeKey(event.xkey)) return kEntryCancel;
      if (EditFieldWithKey(state.field, event.xkey)) state.Redraw();
      return -1;
    case ButtonPress:
      if (event.xbutton.button == Button1 && state.font) {
        graphics::RasterBitmap& bitmap = state.window.Bitmap();
        const int position = TextFieldPositionAt(*state.font, state.field, {0, 0, bitmap.Width(), bitmap.Height()},
                                                 state.look, event.xbutton.x);
        if (state.field.PlaceCaret(position, (event.xbutton.state & ShiftMask) != 0)) state.Redraw();
      }
      return -1;
    default: return -1;
  }
}

}  // namespace x11ui
