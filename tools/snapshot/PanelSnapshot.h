// The editor of a plug-in instance drawn without a window.
#pragma once

#include "ui/HeadlessEditor.h"

namespace panel {
class PanelEditor;
}

namespace snapshot {

// An editor without a window, for Kestrion's panel to be built on.
Editor* MakeHeadlessEditor(EditorDelegate* plugin, int width, int height);

// Opens the panel `editor` (made with MakeHeadlessEditor), with its tweak
// panel open or closed, and draws all of it.
HeadlessEditor& DrawPanel(panel::PanelEditor& editor, bool tweakPanelOpen);

}  // namespace snapshot
