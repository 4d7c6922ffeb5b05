#include "instrument/panel/Panel.h"

#include <algorithm>
#include <iterator>

#include "instrument/PanelCommands.h"
#include "instrument/panel/PanelButtons.h"
#include "instrument/panel/PanelLayout.h"
#include "instrument/panel/PanelMenus.h"
#include "plugin/EditorDelegate.h"
#include "ui/BitmapControls.h"
#include "ui/Editor.h"
#include "ui/KnobControls.h"
#include "ui/TextControl.h"

namespace panel {

namespace {

const ArgbColour kTempoColour{255, 160, 160, 192};
const TextStyle kVersionStyle("Verdana", 15, ArgbColour{128, 160, 160, 192}, kTextNormal, kAlignRight);

FrameStrip Strip(Editor& editor, int id) {
  const ImageSpec* image = FindImage(id);
  return image ? editor.LoadStrip(image->id, image->name, image->frames) : FrameStrip{};
}

}  // namespace

void Panel::Build(Editor& editor, EditorDelegate& delegate) {
  *this = Panel();
  delegate.SetMidiLearn(false, false);
  Lay(editor, delegate);
}

void Panel::BuildAgain(Editor& editor, EditorDelegate& delegate) {
  // Until first opened, the tweak controls are merely covered by the blinds.
  const bool tweakOpen = blinds_[0] && blinds_[0]->IsHidden();
  const bool learnFace = !learnSwitch_ || learnSwitch_->LearnFace();
  editor.RemoveControls();
  *this = Panel();
  Lay(editor, delegate);
  if (tweakOpen) SetTweakPanelOpen(true);
  learnSwitch_->ShowFace(learnFace);
}

void Panel::Lay(Editor& editor, EditorDelegate& delegate) {
  editor.AttachBackground();
  // Every image is decoded now, but the unlearn face waits for its first use.
  for (const ImageSpec& image : kImages)
    if (image.id != kBackImage && image.id != kMidiUnlearnImage) Strip(editor, image.id);
  for (const ControlSpec& spec : kControls) {
    Control* control = Create(spec, editor, delegate);
    control->SetTextStyle(Zoomed(control->Style(), editor.Zoom()));
    editor.AttachControl(control);
    Keep(control, spec);
  }
  for (int i = 0; i < kLightCount; ++i) lights_[i]->SetHidden(true);
}

Control* Panel::Create(const ControlSpec& spec, Editor& editor, EditorDelegate& delegate) {
  const int zoom = editor.Zoom();
  const Rect area = Zoomed(spec.area, zoom);
  const int x = area.left, y = area.top;
  switch (spec.kind) {
    case ControlKind::kPresetMenu:
      return new ProgramDisplay(&delegate, Zoomed(kProgramNumberRect, zoom), Zoomed(kProgramNameRect, zoom));
    case ControlKind::kUtilityKick:
      return new CommandButton(&delegate, this, x, y, spec.parameter, Strip(editor, spec.image));
    case ControlKind::kOptionMenu: return new OptionsMenu(&delegate, area, spec.parameter);
    case ControlKind::kLearnSwitch: return new LearnSwitch(&delegate, x, y, Strip(editor, spec.image));
    case ControlKind::kKnob:
      return new KnobMultiControl(&delegate, x, y, spec.parameter, Strip(editor, spec.image), spec.gearing);
    case ControlKind::kSwitch: return new SwitchControl(&delegate, x, y, spec.parameter, Strip(editor, spec.image));
    case ControlKind::kFramesSwitch:
      return new SwitchFramesControl(&delegate, x, y, spec.parameter, Strip(editor, spec.image));
    case ControlKind::kButtonKick:
      return new LatchingButton(&delegate, x, y, spec.parameter, Strip(editor, spec.image),
                                Strip(editor, spec.onImage));
    case ControlKind::kTempoMenu: return new TempoMenu(&delegate, area, spec.parameter, &kTempoColour);
    case ControlKind::kVersionText: return new TextControl(&delegate, area, kVersionStyle, kVersionText);
    case ControlKind::kLight:
    case ControlKind::kBlind: break;
  }
  return new BitmapControl(&delegate, x, y, -1, Strip(editor, spec.image));
}

void Panel::Keep(Control* control, const ControlSpec& spec) {
  if (spec.tweak) tweakGroup_.push_back(control);
  switch (spec.kind) {
    case ControlKind::kLight:
      // The table lists the lights in LightBit order.
      *std::find(std::begin(lights_), std::end(lights_), nullptr) = control;
      break;
    case ControlKind::kPresetMenu: programDisplay_ = static_cast<ProgramDisplay*>(control); break;
    case ControlKind::kLearnSwitch: learnSwitch_ = static_cast<LearnSwitch*>(control); break;
    case ControlKind::kBlind: blinds_[blinds_[0] ? 1 : 0] = control; break;
    case ControlKind::kVersionText: versionText_ = static_cast<TextControl*>(control); break;
    case ControlKind::kUtilityKick:
      if (spec.parameter == kCloseTweakPanel) closeButton_ = control;
      if (spec.parameter == kOpenTweakPanel) openButton_ = control;
      break;
    case ControlKind::kButtonKick: {
      auto* button = static_cast<LatchingButton*>(control);
      constexpr int kOrder[] = {kChordMemoryButton, kUnisonButton, kUnisonShareButton, kPolyButton, kRoundRobinButton};
      for (int i = 0; i < kKeyAssignModes; ++i)
        if (spec.parameter == kOrder[i]) keyAssignButtons_[i] = button;
      if (spec.parameter == kHoldButton) holdButton_ = button;
      if (spec.parameter == kEffectsButton) effectsButton_ = button;
      break;
    }
    default: break;
  }
}

void Panel::SetTweakPanelOpen(bool open) {
  for (Control* control : tweakGroup_) control->SetHidden(!open);
  closeButton_->SetHidden(!open);
  for (Control* covering : {blinds_[0], blinds_[1], openButton_, static_cast<Control*>(versionText_)})
    covering->SetHidden(open);
}

void Panel::ShowLights(unsigned flags) {
  for (int i = 0; i < kLightCount; ++i) {
    const bool on = (flags >> i & 1u) != 0;
    if (on == lightShown_[i]) continue;
    lightShown_[i] = on;
    lights_[i]->SetHidden(!on);
  }
}

}  // namespace panel
