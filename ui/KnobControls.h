// Knobs: dragged along one axis with a gearing (pixels of travel per pixel
// of the control's size for the whole range) and turned by the wheel.
#pragma once

#include "ui/Control.h"

enum KnobDirection { kKnobVertical = 0, kKnobHorizontal = 1 };

class KnobControl : public Control {
 public:
  KnobControl(EditorDelegate* delegate, const Rect& area, int parameterIndex, int direction = kKnobVertical,
              double gearing = 4.0, int blendMethod = kBlendAlpha);
  void HandleDrag(int x, int y, int dx, int dy, const PointerMods& mods) override;
  void HandleWheel(int x, int y, const PointerMods& mods, int notches) override;
  bool Render(Editor& /*graphics*/) override { return true; }
  int Direction() const { return direction_; }
  double Gearing() const { return gearing_; }

 private:
  int direction_;
  double gearing_;
};

// A knob drawn as the frame of a strip that matches its value.
class KnobMultiControl : public KnobControl {
 public:
  KnobMultiControl(EditorDelegate* delegate, int x, int y, int parameterIndex, const FrameStrip& strip,
                   double gearing = 4.0, int blendMethod = kBlendAlpha);
  bool Render(Editor& graphics) override;
  const FrameStrip& Strip() const { return strip_; }
  int CurrentFrame() const;

 private:
  FrameStrip strip_;
};
