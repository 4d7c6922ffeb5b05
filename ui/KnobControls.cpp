#include "ui/KnobControls.h"

#include <algorithm>

#include "ui/FrameStrip.h"
#include "ui/Graphics.h"

namespace {

constexpr double kFineFactor = 10.0;  // shift or control: ten times the travel
constexpr double kWheelStep = 0.01;
constexpr double kFineWheelStep = 0.001;

bool Fine(const IPointerMods& mods) { return mods.shift || mods.control; }

}  // namespace

IKnobControl::IKnobControl(EditorDelegate* delegate, const IPanelRect& area, int parameterIndex, int direction,
                           double gearing, int blendMethod)
    : IControl(delegate, area, parameterIndex, blendMethod), direction_(direction), gearing_(gearing) {}

void IKnobControl::HandleDrag(int x, int y, int dx, int dy, const IPointerMods& mods) {
  const double gearing = Fine(mods) ? gearing_ * kFineFactor : gearing_;
  const IPanelRect& area = Area();
  // A control without extent along the axis (or no gearing) cannot be dragged.
  if (gearing == 0) return;
  if (direction_ == kKnobVertical) {
    if (area.bottom == area.top) return;
    SetValue(Value() + (static_cast<double>(dy) / (area.top - area.bottom)) / gearing);
  } else {
    if (area.right == area.left) return;
    SetValue(Value() + (static_cast<double>(dx) / (area.right - area.left)) / gearing);
  }
  MarkChanged(true);
}

void IKnobControl::HandleWheel(int x, int y, const IPointerMods& mods, int notches) {
  SetValue(Value() + notches * (Fine(mods) ? kFineWheelStep : kWheelStep));
  MarkChanged(true);
}

IKnobMultiControl::IKnobMultiControl(EditorDelegate* delegate, int x, int y, int parameterIndex,
                                     const IFrameStrip& strip, double gearing, int blendMethod)
    : IKnobControl(delegate, FrameArea(x, y, strip), parameterIndex, kKnobVertical, gearing, blendMethod),
      strip_(strip) {}

int IKnobMultiControl::CurrentFrame() const { return FrameForValue(Value(), strip_.frames); }

bool IKnobMultiControl::Render(IGraphics& graphics) {
  return graphics.DrawFrame(strip_, Area(), CurrentFrame(), &Blend());
}
