#include "instrument/panel/PanelEditor.h"

#include "instrument/panel/PanelLayout.h"
#include "plugin/EditorDelegate.h"
#include "ui/Editor.h"

namespace panel {

PanelEditor::PanelEditor(EditorDelegate& instrument, EditorFactory makeWindow)
    : instrument_(instrument),
      window_((makeWindow ? makeWindow : CreateEditorWindow)(&instrument, kPanelWidth, kPanelHeight)) {
  panel_.Build(*window_, instrument);
  window_->SetQuietTickHandler([this] { Idle(); });
  window_->StartShowing();
}

PanelEditor::~PanelEditor() = default;

void PanelEditor::Idle() {
  if (window_->IsWindowOpen()) panel_.ShowLights(instrument_.Lights());
}

}  // namespace panel
