// The embedding protocol some hosts speak with a window they hold: the
// window says in a property that it wants to be shown, and the host tells it
// by client messages when it is embedded, active, focused or under a modal
// dialog of the host's.
#pragma once

#include <X11/Xlib.h>

namespace x11 {

// The messages a host sends (the second word of the client message).
enum EmbedMessage {
  kEmbeddedNotify = 0,
  kWindowActivate = 1,
  kWindowDeactivate = 2,
  kFocusIn = 4,
  kFocusOut = 5,
  kModalityOn = 10,
  kModalityOff = 11,
};

// What the host has told the window so far.
struct EmbedState {
  Window embedder = 0;     // the host's window holding ours, once it said so
  bool active = false;     // the host's top-level window is the active one
  bool focused = false;    // the host passes its keys on to the window
  bool hostModal = false;  // a dialog of the host's takes the input
};

// Marks `window` as a client of protocol version 0 that is to be mapped.
// Before the window is mapped, so that a host reading it sees it at once.
void AnnounceEmbedding(Display* display, Window window);

// The atom naming the protocol's client messages.
Atom EmbedMessageType(Display* display);

// Applies one client message to `state`; false when the message is not of
// the protocol (`type`: EmbedMessageType).
bool ApplyEmbedMessage(const XClientMessageEvent& message, Atom type, EmbedState& state);

}  // namespace x11
