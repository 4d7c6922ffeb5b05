// What the instrument shows on a panel besides its parameters: the command
// codes the panel's own controls carry in place of a parameter index
// (negative, so the framework never treats them as parameters), and the
// lights.
#pragma once

#include "plugin/EditorView.h"

namespace panel {

constexpr int kHoldButton = -3;
constexpr int kEffectsButton = -37;
constexpr int kChordMemoryButton = -71;
constexpr int kUnisonButton = -72;
constexpr int kRoundRobinButton = -73;
constexpr int kUnisonShareButton = -74;
constexpr int kPolyButton = -75;
constexpr int kPreviousProgram = -78;
constexpr int kNextProgram = -79;
constexpr int kOptionsMenu = -80;
constexpr int kLearnSwitch = kLearnSwitchCommand;
constexpr int kOpenTweakPanel = -82;
constexpr int kCloseTweakPanel = -83;

// The key-assignment buttons in the order of the "KeyAssgn" values
// (Unison, RndRobin, Chord Memory, Unison/Share, Poly).
constexpr int kKeyAssignModes = 5;
constexpr int kKeyAssignButtons[kKeyAssignModes] = {kUnisonButton, kRoundRobinButton, kChordMemoryButton,
                                                    kUnisonShareButton, kPolyButton};

// The seven lights, one bit each, in the order the engine reports them.
enum LightBit : unsigned {
  kVco1Light = 1u << 0,
  kVco2Light = 1u << 1,
  kVco3Light = 1u << 2,
  kVco4Light = 1u << 3,
  kMg1Light = 1u << 4,
  kMg2Light = 1u << 5,
  kArpStepLight = 1u << 6,
};
constexpr int kLightCount = 7;

}  // namespace panel
