// Stand-in until the drawn menus, boxes and entry exist: every question is
// dismissed.
#include "X11Modal.h"

namespace x11ui {

int RunPopupMenu(const ModalContext&, const IMenuList&, int, int) { return -1; }
int RunMessageBox(const ModalContext&, const char*, const char*, int) { return kAnswerCancel; }
bool RunPathDialog(const ModalContext&, std::string*, bool, const char*) { return false; }

struct TextEntry::State {
  Window window = 0;
  Display* display = nullptr;
  std::string text;
};

TextEntry::TextEntry(Display* display, Window panel, const IPanelRect& rect, const ITextStyle&, const char* text,
                     int, Filter)
    : state_(new State) {
  state_->display = display;
  state_->text = text ? text : "";
  state_->window = XCreateSimpleWindow(display, panel, rect.left, rect.top, rect.right - rect.left + 1,
                                       rect.bottom - rect.top + 1, 0, 0, 0xffffff);
}
TextEntry::~TextEntry() { XDestroyWindow(state_->display, state_->window); }
Window TextEntry::Handle() const { return state_->window; }
int TextEntry::HandleEvent(XEvent&) { return -1; }
std::string TextEntry::Text() const { return state_->text; }

}  // namespace x11ui
