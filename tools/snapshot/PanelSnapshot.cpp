#include "tools/snapshot/PanelSnapshot.h"

#include "instrument/panel/PanelEditor.h"

namespace snapshot {

Editor* MakeHeadlessEditor(EditorDelegate* plugin, int width, int height) {
  return new HeadlessEditor(plugin, width, height);
}

HeadlessEditor& DrawPanel(panel::PanelEditor& panelEditor, bool tweakPanelOpen) {
  auto& editor = static_cast<HeadlessEditor&>(panelEditor.Window());
  if (!editor.IsWindowOpen()) editor.OpenWindow(nullptr);
  panelEditor.Controls().SetTweakPanelOpen(tweakPanelOpen);
  editor.Tick();
  editor.RedrawArea({0, 0, editor.Width(), editor.Height()});
  return editor;
}

}  // namespace snapshot
