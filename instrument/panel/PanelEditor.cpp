#include "instrument/panel/PanelEditor.h"

#include "instrument/panel/PanelButtons.h"
#include "instrument/panel/PanelLayout.h"
#include "plugin/EditorDelegate.h"
#include "ui/Editor.h"
#include "ui/PanelZoom.h"

namespace panel {

namespace {
// How long a host has to make its window the size it granted.
constexpr auto kHostResizeGrace = std::chrono::seconds(2);
}  // namespace

PanelEditor::PanelEditor(EditorDelegate& instrument, EditorFactory makeWindow)
    : instrument_(instrument),
      window_((makeWindow ? makeWindow : CreateEditorWindow)(&instrument, kPanelWidth, kPanelHeight)) {
  const int chosen = instrument.ChosenPanelZoom();
  window_->SetZoom(chosen != 0 ? chosen : window_->SystemZoom());
  panel_.Build(*window_, instrument);
  window_->SetQuietTickHandler([this] { Idle(); });
  window_->SetZoomHandler([this](int percent, bool chosen) { ChangeZoom(percent, chosen); });
  window_->StartShowing();
}

int PanelEditor::Zoom() const { return window_->Zoom(); }
int PanelEditor::Width() const { return window_->Width(); }
int PanelEditor::Height() const { return window_->Height(); }

void PanelEditor::ShowAtZoom(int percent, bool chosen) {
  if (!IsZoomStep(percent)) return;
  if (percent == window_->Zoom()) {
    pendingZoom_ = 0;
    return;
  }
  // A host that grants our request by setting the size is not the user.
  if (percent == askedZoom_) chosen = askedChosen_;
  if (chosen) instrument_.ChoosePanelZoom(percent);
  if (!HostWindowFits(percent)) {
    pendingZoom_ = percent;
    pendingUntil_ = std::chrono::steady_clock::now() + kHostResizeGrace;
    return;
  }
  Rebuild(percent);
}

void PanelEditor::Rebuild(int percent) {
  pendingZoom_ = 0;
  window_->CancelTextEntry();
  window_->SetZoom(percent);
  panel_.BuildAgain(*window_, instrument_);
  window_->ApplyCurrentValues();
  // The switch shows what the instrument does, whatever was posted last.
  if (LearnSwitch* learn = panel_.LearnSwitchControl()) {
    learn->SetValue(instrument_.LearnActive() ? 1.0 : 0.0);
    learn->MarkChanged(false);
  }
}

void PanelEditor::ChangeZoom(int percent, bool chosen) {
  if (!IsZoomStep(percent) || percent == window_->Zoom()) return;
  if (window_->IsWindowOpen() && resizeRequest_) {
    askedZoom_ = percent;
    askedChosen_ = chosen;
    const bool granted = resizeRequest_(Zoomed(window_->BaseWidth(), percent), Zoomed(window_->BaseHeight(), percent));
    askedZoom_ = 0;
    if (!granted) return;
  }
  ShowAtZoom(percent, chosen);
}

void PanelEditor::SetHostScale(double factor) {
  if (instrument_.ChosenPanelZoom() == 0) ChangeZoom(NearestZoom(factor), false);
}

PanelEditor::~PanelEditor() = default;

void PanelEditor::Idle() {
  if (!window_->IsWindowOpen()) return;
  panel_.ShowLights(instrument_.Lights());
  if (pendingZoom_ == 0) return;
  if (HostWindowFits(pendingZoom_))
    Rebuild(pendingZoom_);
  else if (std::chrono::steady_clock::now() >= pendingUntil_)
    pendingZoom_ = 0;  // the host never made room: the panel stays whole
}

bool PanelEditor::HostWindowFits(int percent) const {
  int width = 0, height = 0;
  if (!window_->IsWindowOpen() || !window_->HostWindowSize(&width, &height)) return true;
  return width >= Zoomed(window_->BaseWidth(), percent) && height >= Zoomed(window_->BaseHeight(), percent);
}

}  // namespace panel
