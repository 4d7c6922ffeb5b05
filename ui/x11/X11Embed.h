// The embedding protocol some hosts speak with a window they hold: the
// window says in a property that it wants to be shown, and the host tells it
// by client messages when it is embedded, active, focused or under a modal
// dialog of the host's.
#pragma once

#include <X11/Xlib.h>

namespace x11 {

// The messages of a host's that change something here (the second word of
// the client message).
enum EmbedMessage {
  kFocusIn = 4,
  kFocusOut = 5,
  kModalityOn = 10,
  kModalityOff = 11,
};

// What the host has told the window so far; its other messages (embedded,
// activated) ask for nothing.
struct EmbedState {
  bool focused = false;    // the keys the host passes on are the window's
  bool hostModal = false;  // a dialog of the host's takes the input
};

// Marks `window` as a client of protocol version 0 that is to be mapped.
// Before the window is mapped, so that a host reading it sees it at once.
void AnnounceEmbedding(Display* display, Window window);

// The atom naming the protocol's client messages.
Atom EmbedMessageType(Display* display);

// Applies a client message of the protocol (`type`: EmbedMessageType) to
// `state`; any other changes nothing.
void ApplyEmbedMessage(const XClientMessageEvent& message, Atom type, EmbedState& state);

}  // namespace x11
