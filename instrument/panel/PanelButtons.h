// The panel's buttons: the MIDI learn switch, the latching buttons that set
// the key assignment, Hold and Effects, and the momentary buttons that step
// through programs and open or close the tweak panel.
#pragma once

#include "ui/BitmapControls.h"

class EditorDelegate;

namespace panel {
class Panel;
}

// Off, or learning; while off, a right press swaps the learn and unlearn faces.
class LearnSwitch : public SwitchControl {
 public:
  LearnSwitch(EditorDelegate* delegate, int x, int y, const FrameStrip& strip);
  void HandlePress(int x, int y, const PointerMods& mods) override;
  bool LearnFace() const { return learnFace_; }
  // The face a panel made again keeps.
  void ShowFace(bool learnFace);

 private:
  bool learnFace_ = true;
};

// Lit or unlit; the plug-in keeps the lit flag in step with its parameters
// through the value recorded for the button's command code.
class LatchingButton : public ContactControl {
 public:
  LatchingButton(EditorDelegate* delegate, int x, int y, int code, const FrameStrip& offStrip,
                 const FrameStrip& onStrip);
  void HandleRelease(int x, int y, const PointerMods& mods) override;
  bool Render(Editor& graphics) override;
  // 1 lights the button, 0 puts it out; the pressed look is the value's.
  void ApplyHostValue(double value) override;
  bool IsOn() const { return on_; }

 private:
  FrameStrip onStrip_;
  bool on_ = false;
};

// Runs its command when the pointer lets go.
class CommandButton : public ContactControl {
 public:
  CommandButton(EditorDelegate* delegate, panel::Panel* owner, int x, int y, int code, const FrameStrip& strip);
  void HandleRelease(int x, int y, const PointerMods& mods) override;

 private:
  panel::Panel* owner_;
};
