// The instrument's panel built onto an editor: the controls of the layout
// table, the references the plug-in keeps to some of them, the tweak panel
// switch and the lights.
#pragma once

#include <vector>

#include "instrument/PanelCommands.h"

class IControl;
class IGraphics;
class IHVButtonKick;
class IHVPresetMenu;
class IHVSwitchMidiLearn;
class ITextControl;
class EditorDelegate;

namespace panel {

struct ControlSpec;

class Panel {
 public:
  // Host UI/dispatcher, once, before the editor is attached: the background
  // and every control of the layout table, in table order.
  void Build(IGraphics& editor, EditorDelegate& delegate);

  // Editor thread. Open: the tweak controls and their close button show,
  // the blinds, the open button and the release text hide; closed: the reverse.
  void SetTweakPanelOpen(bool open);
  // Editor thread: each light whose flag differs from the one last shown
  // shows (flag set) or hides.
  void ShowLights(unsigned flags);

  IHVPresetMenu* ProgramDisplay() const { return programDisplay_; }
  IHVSwitchMidiLearn* LearnSwitch() const { return learnSwitch_; }
  IControl* Light(int index) const { return lights_[index]; }
  const std::vector<IControl*>& TweakGroup() const { return tweakGroup_; }
  // Chord Memory, Unison, Unison/Share, Poly, RndRobin.
  IHVButtonKick* KeyAssignButton(int index) const { return keyAssignButtons_[index]; }
  IHVButtonKick* HoldButton() const { return holdButton_; }
  IHVButtonKick* EffectsButton() const { return effectsButton_; }

 private:
  IControl* Create(const ControlSpec& spec, IGraphics& editor, EditorDelegate& delegate);
  void Keep(IControl* control, const ControlSpec& spec);

  IHVPresetMenu* programDisplay_ = nullptr;
  IHVSwitchMidiLearn* learnSwitch_ = nullptr;
  IControl* lights_[kLightCount] = {};
  bool lightShown_[kLightCount] = {};
  std::vector<IControl*> tweakGroup_;
  IControl* closeButton_ = nullptr;
  IControl* blinds_[2] = {};
  IControl* openButton_ = nullptr;
  ITextControl* versionText_ = nullptr;
  IHVButtonKick* keyAssignButtons_[kKeyAssignModes] = {};
  IHVButtonKick* holdButton_ = nullptr;
  IHVButtonKick* effectsButton_ = nullptr;
};

}  // namespace panel
