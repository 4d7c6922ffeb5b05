// One of the plug-in's program slots: a name and a stored state.
#pragma once

#include "plugin/StateBuffer.h"
#include "plugin/Text.h"

struct PresetSlot {
  bool initialised = false;
  char name[kPresetNameLength] = "empty";
  StateBuffer state;
};
