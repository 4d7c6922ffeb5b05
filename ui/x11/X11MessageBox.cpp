// Message boxes: a drawn box in a dialog window, answered with the mouse,
// Return or Escape, or by closing the window.
#include "X11DialogWindow.h"
#include "X11Modal.h"
#include "ui/MessageBoxView.h"

namespace x11ui {

int RunMessageBox(const ModalContext& context, const char* text, const char* caption, int type) {
  const MessageBoxView view(text, type, ModalFont(context.zoom), false, context.zoom);
  DialogWindow dialog(context, caption, view.Width(), view.Height());
  // A box nobody can see would wait for ever: it answers as if dismissed.
  if (!dialog.IsDrawable()) return view.EscapeAnswer();
  int pressed = -1;
  const auto redraw = [&] {
    view.Draw(dialog.Drawn().Bitmap(), pressed, nullptr, false);
    dialog.Drawn().Present();
  };
  redraw();
  int answer = 0;
  dialog.Run([&](XEvent& event) {
    if (dialog.IsCloseRequest(event)) {
      answer = view.EscapeAnswer();
    } else if (event.type == KeyPress) {
      if (IsReturnKey(event.xkey))
        answer = view.ReturnAnswer();
      else if (IsEscapeKey(event.xkey))
        answer = view.EscapeAnswer();
    } else if (event.type == ButtonPress && event.xbutton.button == Button1) {
      pressed = view.ButtonAt(event.xbutton.x, event.xbutton.y);
      redraw();
    } else if (event.type == ButtonRelease && event.xbutton.button == Button1 && pressed >= 0) {
      // A button answers when the release lands on the button that was pressed.
      if (view.ButtonAt(event.xbutton.x, event.xbutton.y) == pressed) answer = view.ButtonAnswer(pressed);
      pressed = -1;
      redraw();
    }
    return answer != 0;
  });
  return answer;
}

}  // namespace x11ui
