#include "tools/snapshot/PanelSnapshot.h"

#include "instrument/panel/PanelEditor.h"

namespace snapshot {

IGraphics* MakeHeadlessEditor(EditorDelegate* plugin, int width, int height) {
  return new IGraphicsHeadless(plugin, width, height);
}

IGraphicsHeadless& DrawPanel(panel::PanelEditor& panelEditor, bool tweakPanelOpen) {
  auto& editor = static_cast<IGraphicsHeadless&>(panelEditor.Window());
  if (!editor.IsWindowOpen()) editor.OpenWindow(nullptr);
  panelEditor.Controls().SetTweakPanelOpen(tweakPanelOpen);
  editor.Tick();
  editor.RedrawArea({0, 0, editor.Width(), editor.Height()});
  return editor;
}

}  // namespace snapshot
