// The command codes the panel's own controls carry in place of a parameter
// index. Negative, so the framework never treats them as parameters.
#pragma once

#include "core/EditorView.h"

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
constexpr int kKeyAssignButtons[kKeyAssignModes] = {kUnisonButton, kRoundRobinButton, kChordMemoryButton, kUnisonShareButton,
                                     kPolyButton};

}  // namespace panel
