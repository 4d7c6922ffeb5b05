// The editor of a plug-in instance, built without a window and drawn once.
#pragma once

#include <memory>

#include "editor/HeadlessGraphics.h"

class IEffectVST;

namespace snapshot {

constexpr int kPanelWidth = 1096;
constexpr int kPanelHeight = 395;

// Builds the panel on `plugin`, attaches it as the plug-in would and runs
// one redraw of the whole panel. The plug-in owns the editor afterwards.
IGraphicsHeadless* DrawPanel(IEffectVST& plugin);

}  // namespace snapshot
