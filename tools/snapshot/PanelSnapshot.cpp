#include "tools/snapshot/PanelSnapshot.h"

#include "engine/Kestrion.h"

namespace snapshot {

IGraphics* MakeHeadlessEditor(IEffectBase* plugin, int width, int height) {
  return new IGraphicsHeadless(plugin, width, height);
}

IGraphicsHeadless& DrawPanel(Kestrion& plugin, bool tweakPanelOpen) {
  auto& editor = static_cast<IGraphicsHeadless&>(*plugin.Graphics());
  if (!editor.IsWindowOpen()) editor.OpenWindow(nullptr);
  plugin.Panel().SetTweakPanelOpen(tweakPanelOpen);
  editor.Tick();
  editor.RedrawArea({0, 0, editor.Width(), editor.Height()});
  return editor;
}

}  // namespace snapshot
