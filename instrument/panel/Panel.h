// The instrument's panel built onto an editor: the controls of the layout
// table, the references the plug-in keeps to some of them, the tweak panel
// switch and the lights.
#pragma once

#include <vector>

#include "instrument/PanelCommands.h"

class Control;
class Editor;
class LatchingButton;
class ProgramDisplay;
class LearnSwitch;
class TextControl;
class EditorDelegate;

namespace panel {

struct ControlSpec;

class Panel {
 public:
  // Host UI/dispatcher, once, before the editor is attached: the background
  // and every control of the layout table, in table order.
  void Build(Editor& editor, EditorDelegate& delegate);
  // Editor thread: the panel made again at the editor's new zoom, keeping
  // what the user sees (the tweak panel, the learn switch's face); learning
  // goes on.
  void BuildAgain(Editor& editor, EditorDelegate& delegate);

  // Editor thread. Open: the tweak controls and their close button show,
  // the blinds, the open button and the release text hide; closed: the reverse.
  void SetTweakPanelOpen(bool open);
  // Editor thread: each light whose flag differs from the one last shown
  // shows (flag set) or hides.
  void ShowLights(unsigned flags);

  ProgramDisplay* ProgramDisplayControl() const { return programDisplay_; }
  LearnSwitch* LearnSwitchControl() const { return learnSwitch_; }
  Control* Light(int index) const { return lights_[index]; }
  const std::vector<Control*>& TweakGroup() const { return tweakGroup_; }
  // Chord Memory, Unison, Unison/Share, Poly, RndRobin.
  LatchingButton* KeyAssignButton(int index) const { return keyAssignButtons_[index]; }
  LatchingButton* HoldButton() const { return holdButton_; }
  LatchingButton* EffectsButton() const { return effectsButton_; }

 private:
  void Lay(Editor& editor, EditorDelegate& delegate);
  Control* Create(const ControlSpec& spec, Editor& editor, EditorDelegate& delegate);
  void Keep(Control* control, const ControlSpec& spec);

  ProgramDisplay* programDisplay_ = nullptr;
  LearnSwitch* learnSwitch_ = nullptr;
  Control* lights_[kLightCount] = {};
  bool lightShown_[kLightCount] = {};
  std::vector<Control*> tweakGroup_;
  Control* closeButton_ = nullptr;
  Control* blinds_[2] = {};
  Control* openButton_ = nullptr;
  TextControl* versionText_ = nullptr;
  LatchingButton* keyAssignButtons_[kKeyAssignModes] = {};
  LatchingButton* holdButton_ = nullptr;
  LatchingButton* effectsButton_ = nullptr;
};

}  // namespace panel
