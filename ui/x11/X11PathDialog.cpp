// The path dialog for systems without a desktop file chooser: a box with one
// field for the path, which must name an existing file to open, and asks
// before a file is overwritten.
#include <sys/stat.h>

#include "X11DialogWindow.h"
#include "X11Modal.h"
#include "plugin/EditorView.h"
#include "plugin/Text.h"
#include "ui/MessageBoxView.h"
#include "ui/TextFieldView.h"

namespace x11ui {

namespace {

enum PathKind { kNothing, kFile, kOther };

PathKind KindOf(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return kNothing;
  return S_ISREG(status.st_mode) ? kFile : kOther;
}

}  // namespace

bool RunPathDialog(const ModalContext& context, std::string* path, bool save, const char* extensions) {
  if (!path) return false;
  const char* caption = save ? "Save File" : "Open File";
  std::string prompt = save ? "Save to this file:" : "Open this file:";
  if (extensions && extensions[0]) prompt += std::string("\n(") + extensions + ")";
  const MessageBoxView view(prompt.c_str(), kMessageOkCancel, ModalFont(context.zoom), true, context.zoom);
  TextEntryModel field(*path, static_cast<int>(kPathLength) - 1, kFilterAnyText);
  DialogWindow dialog(context, caption, view.Width(), view.Height());
  if (!dialog.IsDrawable()) return false;
  int pressed = -1;
  const auto redraw = [&] {
    view.Draw(dialog.Drawn().Bitmap(), pressed, &field, true);
    dialog.Drawn().Present();
  };
  redraw();

  // While a question about the path waits, this dialog still repaints.
  ModalContext nested = context;
  nested.owner = dialog.Handle();
  nested.otherEvent = [&](XEvent& event) {
    if (event.xany.window == dialog.Handle()) {
      if (event.type == Expose && event.xexpose.count == 0) dialog.Drawn().Present();
    } else if (context.otherEvent) {
      context.otherEvent(event);
    }
  };
  const auto acceptable = [&] {
    const std::string& typed = field.Text();
    if (typed.empty()) return false;
    const PathKind kind = KindOf(typed);
    if (kind == kOther) {
      RunMessageBox(nested, ("This is not a file:\n" + typed).c_str(), caption, kMessageOk | kMessageIconError);
      return false;
    }
    if (!save && kind == kNothing) {
      RunMessageBox(nested, ("There is no such file:\n" + typed).c_str(), caption, kMessageOk | kMessageIconError);
      return false;
    }
    if (save && kind == kFile)
      return RunMessageBox(nested, ("This file exists:\n" + typed + "\nOverwrite it?").c_str(), caption,
                           kMessageYesNo) == kAnswerYes;
    return true;
  };

  int answer = 0;
  dialog.Run([&](XEvent& event) {
    int asked = 0;
    if (dialog.IsCloseRequest(event)) {
      asked = kAnswerCancel;
    } else if (event.type == KeyPress) {
      if (IsReturnKey(event.xkey))
        asked = kAnswerOk;
      else if (IsEscapeKey(event.xkey))
        asked = kAnswerCancel;
      else if (EditFieldWithKey(field, event.xkey))
        redraw();
    } else if (event.type == ButtonPress && event.xbutton.button == Button1) {
      const graphics::Rect area = view.FieldRect();
      const int x = event.xbutton.x, y = event.xbutton.y;
      if (x >= area.left && x < area.right && y >= area.top && y < area.bottom) {
        graphics::RasterCachedFont* font = ModalFont(context.zoom);
        if (font)
          field.PlaceCaret(TextFieldPositionAt(*font, field, area, view.FieldLook(), x),
                           (event.xbutton.state & ShiftMask) != 0);
      }
      pressed = view.ButtonAt(x, y);
      redraw();
    } else if (event.type == ButtonRelease && event.xbutton.button == Button1 && pressed >= 0) {
      if (view.ButtonAt(event.xbutton.x, event.xbutton.y) == pressed) asked = view.ButtonAnswer(pressed);
      pressed = -1;
      redraw();
    }
    if (asked == kAnswerOk && !acceptable()) {
      asked = 0;
      dialog.TakeFocus();
    }
    answer = asked;
    return answer != 0;
  });
  if (answer != kAnswerOk) return false;
  *path = field.Text();
  return true;
}

}  // namespace x11ui
