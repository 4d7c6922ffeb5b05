// The editor's popup menus, message boxes, path dialog and in-place text
// entry on X11. X has no such things of its own, so they are windows of the
// editor's display connection drawn with the editor's raster code.
#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <memory>
#include <string>

#include "ui/Editor.h"

namespace x11ui {

// What a modal window needs from the editor window that opened it.
struct ModalContext {
  Display* display = nullptr;
  Window panel = 0;  // the editor's own window
  Window owner = 0;  // the host's top-level window (for transient-for); 0 if unknown
  // Every event that belongs to none of the modal's windows (the panel's
  // Expose, for one), so the panel stays painted while the modal waits.
  std::function<void(XEvent&)> otherEvent;
  // The panel's size in percent: menus and dialogs grow with it.
  int zoom = kDefaultZoom;
};

// Shows `menu` with its top-left corner at the screen point (x, y) and
// waits until an entry is chosen or the menu is dismissed. Returns the
// command id of the chosen entry, numbered as MenuCommandId numbers it, or -1.
int RunPopupMenu(const ModalContext& context, const MenuList& menu, int screenX, int screenY);

// A message box with the buttons of the MessageType `type`; returns the
// MessageAnswer of the button pressed.
int RunMessageBox(const ModalContext& context, const char* text, const char* caption, int type);

// Asks for a file path when no desktop file chooser is installed. `path`
// holds the suggested path on entry; true with the path typed when confirmed.
bool RunPathDialog(const ModalContext& context, std::string* path, bool save, const char* extensions);

// The in-place text entry: a child window of the panel over the edited
// control. The editor window routes every event of Handle() to it.
class TextEntry {
 public:
  enum Filter { kAnyText, kSignedInteger, kSignedDecimal };
  // `rect` and `style` are the control's at the panel's size; the field's
  // padding, caret and border are drawn at `zoom` percent.
  TextEntry(Display* display, Window panel, const Rect& rect, const TextStyle& style, const char* text, int limit,
            Filter filter, int zoom = kDefaultZoom);
  ~TextEntry();
  TextEntry(const TextEntry&) = delete;
  TextEntry& operator=(const TextEntry&) = delete;

  Window Handle() const;
  // Handles one event of the entry's window; returns the TextEntryState
  // it asks for (kEntryFocused on focus in, kEntryCommit on Return or focus
  // loss, kEntryCancel on Escape) or -1 when the state stays.
  int HandleEvent(XEvent& event);
  std::string Text() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace x11ui
