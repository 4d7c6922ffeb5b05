// Clipboard text: the CLIPBOARD selection asked for as UTF-8, answered by
// whichever client owns it. Large (incremental) transfers are not taken.
#include <X11/Xatom.h>
#include <poll.h>

#include <chrono>

#include "X11Editor.h"
#include "plugin/Text.h"

bool X11Editor::GetClipboardText(char* out) {
  out[0] = '\0';
  if (!window_) return false;
  const Atom clipboard = XInternAtom(display_, "CLIPBOARD", False);
  const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
  const Atom property = XInternAtom(display_, "_KESTRION_CLIPBOARD", False);
  if (XGetSelectionOwner(display_, clipboard) == None) return false;
  XConvertSelection(display_, clipboard, utf8, property, window_, CurrentTime);
  XFlush(display_);

  // The owner answers with SelectionNotify; a second is plenty for text.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  XEvent event;
  for (;;) {
    if (XCheckTypedWindowEvent(display_, window_, SelectionNotify, &event)) break;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd fd = {ConnectionNumber(display_), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left.count()));
    XPending(display_);  // reads what arrived into the queue
  }
  if (event.xselection.property == None) return false;

  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  const bool read = XGetWindowProperty(display_, window_, property, 0, kPathLength / 4, True, AnyPropertyType, &type,
                                       &format, &count, &remaining, &data) == Success;
  const bool text = read && data && type == utf8 && format == 8;
  if (text) CopyText(out, reinterpret_cast<const char*>(data), kPathLength);
  if (data) XFree(data);
  return text && out[0] != '\0';
}
