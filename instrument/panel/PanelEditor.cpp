#include "instrument/panel/PanelEditor.h"

#include "instrument/Kestrion.h"
#include "instrument/panel/PanelLayout.h"
#include "ui/Graphics.h"

namespace panel {

PanelEditor::PanelEditor(Kestrion& instrument, EditorFactory makeWindow)
    : instrument_(instrument),
      window_((makeWindow ? makeWindow : CreateEditorWindow)(&instrument, kPanelWidth, kPanelHeight)) {
  panel_.Build(*window_, instrument);
  window_->SetQuietTickHandler([this] { Idle(); });
  instrument_.AttachEditor(window_.get());
}

PanelEditor::~PanelEditor() { instrument_.AttachEditor(nullptr); }

void PanelEditor::Idle() {
  if (window_->IsWindowOpen()) panel_.ShowLights(instrument_.Lights());
}

}  // namespace panel
