#include "X11Embed.h"

namespace x11 {

namespace {

constexpr long kProtocolVersion = 0;
constexpr long kMapped = 1;

}  // namespace

void AnnounceEmbedding(Display* display, Window window) {
  const Atom info = XInternAtom(display, "_XEMBED_INFO", False);
  const long words[2] = {kProtocolVersion, kMapped};
  XChangeProperty(display, window, info, info, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(words), 2);
}

Atom EmbedMessageType(Display* display) { return XInternAtom(display, "_XEMBED", False); }

void ApplyEmbedMessage(const XClientMessageEvent& message, Atom type, EmbedState& state) {
  if (message.format != 32 || message.message_type != type) return;
  switch (message.data.l[1]) {
    case kFocusIn: state.focused = true; break;
    case kFocusOut: state.focused = false; break;
    case kModalityOn: state.hostModal = true; break;
    case kModalityOff: state.hostModal = false; break;
    default: break;
  }
}

}  // namespace x11
