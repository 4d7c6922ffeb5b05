// The editor of a plug-in instance drawn without a window.
#pragma once

#include "editor/HeadlessGraphics.h"

class Kestrion;

namespace snapshot {

// An editor without a window, for Kestrion's panel to be built on.
IGraphics* MakeHeadlessEditor(IEffectBase* plugin, int width, int height);

// Opens the panel of `plugin` (made with MakeHeadlessEditor), with its tweak
// panel open or closed, and draws all of it.
IGraphicsHeadless& DrawPanel(Kestrion& plugin, bool tweakPanelOpen);

}  // namespace snapshot
