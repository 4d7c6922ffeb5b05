// MIDI learn: a controller and a parameter, captured in either order, are
// bound in the controller map that the render loop applies.
#pragma once

#include <cstdint>

constexpr int kLearnableControllerCount = 120;  // 0–119; the rest are channel modes

// Parameter index bound to each controller, -1 for none.
using ControllerMap = std::int32_t[kLearnableControllerCount];

struct MidiLearn {
  bool active = false;
  bool unlearn = false;  // the next capture removes a binding instead
  int capturedController = -1;
  int capturedParameter = -1;
};

// Takes the captures so far. Learning binds the captured controller to the
// captured parameter once both are there, and the parameter to no other
// controller; unlearning removes the binding of whichever arrives first.
// Returns true when this call ended learning.
bool BindCaptures(MidiLearn& learn, ControllerMap& map);
