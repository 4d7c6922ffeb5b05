// Knobs: dragged along one axis with a gearing (pixels of travel per pixel
// of the control's size for the whole range) and turned by the wheel.
#pragma once

#include "ui/Control.h"

enum IKnobDirection { kKnobVertical = 0, kKnobHorizontal = 1 };

class IKnobControl : public IControl {
 public:
  IKnobControl(EditorDelegate* delegate, const IPanelRect& area, int parameterIndex, int direction = kKnobVertical,
               double gearing = 4.0, int blendMethod = kBlendAlpha);
  void HandleDrag(int x, int y, int dx, int dy, const IPointerMods& mods) override;
  void HandleWheel(int x, int y, const IPointerMods& mods, int notches) override;
  bool Render(IGraphics& graphics) override { return true; }
  int Direction() const { return direction_; }
  double Gearing() const { return gearing_; }

 private:
  int direction_;
  double gearing_;
};

// A knob drawn as the frame of a strip that matches its value.
class IKnobMultiControl : public IKnobControl {
 public:
  IKnobMultiControl(EditorDelegate* delegate, int x, int y, int parameterIndex, const IFrameStrip& strip,
                    double gearing = 4.0, int blendMethod = kBlendAlpha);
  bool Render(IGraphics& graphics) override;
  const IFrameStrip& Strip() const { return strip_; }
  int CurrentFrame() const;

 private:
  IFrameStrip strip_;
};
