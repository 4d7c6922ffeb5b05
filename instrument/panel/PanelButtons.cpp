#include "instrument/panel/PanelButtons.h"

#include "instrument/PanelCommands.h"
#include "instrument/ProgramCommands.h"
#include "instrument/panel/Panel.h"
#include "instrument/panel/PanelLayout.h"
#include "plugin/EditorDelegate.h"
#include "plugin/EffectParameter.h"
#include "ui/Editor.h"
#include "ui/FrameStrip.h"

namespace {

// Parameters the buttons set.
constexpr int kKeyAssignParameter = 0;
constexpr int kHoldParameter = 3;
constexpr int kEffectsParameter = 37;
constexpr int kFxResetParameter = 62;

FrameStrip LearnStrip(Editor& graphics, bool learnFace) {
  const panel::ImageSpec* image = panel::FindImage(learnFace ? panel::kMidiLearnImage : panel::kMidiUnlearnImage);
  return graphics.LoadStrip(image->id, image->name, image->frames);
}

}  // namespace

// -- the MIDI learn switch ---------------------------------------------------

LearnSwitch::LearnSwitch(EditorDelegate* delegate, int x, int y, const FrameStrip& strip)
    : SwitchControl(delegate, x, y, panel::kLearnSwitch, strip) {}

void LearnSwitch::HandlePress(int x, int y, const PointerMods& mods) {
  if (mods.right && !mods.left) {
    // The face is what the next learning does; it cannot change mid-way.
    if (Value() != 0.0 || !Graphics()) return;
    learnFace_ = !learnFace_;
    strip_ = LearnStrip(*Graphics(), learnFace_);
    MarkChanged(true);
    return;
  }
  SwitchControl::HandlePress(x, y, mods);
  Delegate()->SetMidiLearn(Value() > 0.0, !learnFace_);
}

void LearnSwitch::ShowFace(bool learnFace) {
  if (learnFace == learnFace_ || !Graphics()) return;
  learnFace_ = learnFace;
  strip_ = LearnStrip(*Graphics(), learnFace_);
  MarkChanged(false);
}

// -- latching buttons --------------------------------------------------------

LatchingButton::LatchingButton(EditorDelegate* delegate, int x, int y, int code, const FrameStrip& offStrip,
                               const FrameStrip& onStrip)
    : ContactControl(delegate, x, y, code, offStrip), onStrip_(onStrip) {}

void LatchingButton::HandleRelease(int /*x*/, int /*y*/, const PointerMods& /*mods*/) {
  // Flipped for the moment; the parameter change below sets the true state.
  on_ = !on_;
  SetValue(0.0);
  MarkChanged(true);
  const double lit = on_ ? 1.0 : 0.0;
  switch (const int code = ParameterIndex()) {
    case panel::kHoldButton: Delegate()->SetFromEditor(kHoldParameter, lit); break;
    case panel::kEffectsButton: {
      Delegate()->SetFromEditor(kEffectsParameter, lit);
      const bool reset = Delegate()->NormalisedValue(kFxResetParameter) >= 0.5;
      if (on_ && reset) Delegate()->SetFromEditor(kKeyAssignParameter, 0.0);
      break;
    }
    default:
      for (int mode = 0; mode < panel::kKeyAssignModes; ++mode) {
        if (code != panel::kKeyAssignButtons[mode]) continue;
        Delegate()->SetFromEditor(kKeyAssignParameter, mode / double(panel::kKeyAssignModes - 1));
        Delegate()->SetFromEditor(kHoldParameter, 0.0);
      }
  }
}

bool LatchingButton::Render(Editor& graphics) {
  const FrameStrip& strip = on_ ? onStrip_ : strip_;
  return graphics.DrawFrame(strip, Area(), FrameForValue(Value(), strip.frames), &Blend());
}

void LatchingButton::ApplyHostValue(double value) {
  const bool on = value >= 0.5;
  if (on == on_) return;
  on_ = on;
  MarkChanged(false);
}

// -- momentary buttons -------------------------------------------------------

CommandButton::CommandButton(EditorDelegate* delegate, panel::Panel* owner, int x, int y, int code,
                             const FrameStrip& strip)
    : ContactControl(delegate, x, y, code, strip), owner_(owner) {}

void CommandButton::HandleRelease(int /*x*/, int /*y*/, const PointerMods& /*mods*/) {
  SetValue(0.0);
  MarkChanged(true);
  const int code = ParameterIndex();
  if (code == panel::kCloseTweakPanel || code == panel::kOpenTweakPanel) {
    if (owner_) owner_->SetTweakPanelOpen(code == panel::kOpenTweakPanel);
    return;
  }
  if (code != panel::kNextProgram && code != panel::kPreviousProgram) return;
  const int current = Delegate()->CurrentProgram();
  const int step = code == panel::kNextProgram ? 1 : -1;
  Delegate()->SelectProgram(programcommands::NeighbourProgram(current, step, Delegate()->ProgramCount()));
}
