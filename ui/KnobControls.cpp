#include "ui/KnobControls.h"

#include <algorithm>

#include "ui/Editor.h"
#include "ui/FrameStrip.h"

namespace {

constexpr double kFineFactor = 10.0;  // shift or control: ten times the travel
constexpr double kWheelStep = 0.01;
constexpr double kFineWheelStep = 0.001;

bool Fine(const PointerMods& mods) { return mods.shift || mods.control; }

}  // namespace

KnobControl::KnobControl(EditorDelegate* delegate, const Rect& area, int parameterIndex, int direction, double gearing,
                         int blendMethod)
    : Control(delegate, area, parameterIndex, blendMethod), direction_(direction), gearing_(gearing) {}

void KnobControl::HandleDrag(int /*x*/, int /*y*/, int dx, int dy, const PointerMods& mods) {
  const double gearing = Fine(mods) ? gearing_ * kFineFactor : gearing_;
  const Rect& area = Area();
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

void KnobControl::HandleWheel(int /*x*/, int /*y*/, const PointerMods& mods, int notches) {
  SetValue(Value() + notches * (Fine(mods) ? kFineWheelStep : kWheelStep));
  MarkChanged(true);
}

KnobMultiControl::KnobMultiControl(EditorDelegate* delegate, int x, int y, int parameterIndex, const FrameStrip& strip,
                                   double gearing, int blendMethod)
    : KnobControl(delegate, FrameArea(x, y, strip), parameterIndex, kKnobVertical, gearing, blendMethod),
      strip_(strip) {}

int KnobMultiControl::CurrentFrame() const { return FrameForValue(Value(), strip_.frames); }

bool KnobMultiControl::Render(Editor& graphics) { return graphics.DrawFrame(strip_, Area(), CurrentFrame(), &Blend()); }
