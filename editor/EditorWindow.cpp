#include "editor/EditorWindow.h"

#include "editor/Graphics.h"

namespace {

// Until the system windows exist the editor draws into its own bitmap and
// opens no window, so a host is told there is nothing to show.
class IGraphicsWithoutWindow : public IGraphics {
 public:
  using IGraphics::IGraphics;
  void PresentArea(const IPanelRect& area) override {}
  void CancelTextEntry() override {}
  void* OpenWindow(void* parent) override { return nullptr; }
  void CloseWindow() override {}
  void* GetWindowHandle() const override { return nullptr; }
};

}  // namespace

IGraphics* CreateEditorWindow(IEffectBase* plugin, int width, int height) {
  return new IGraphicsWithoutWindow(plugin, width, height);
}
