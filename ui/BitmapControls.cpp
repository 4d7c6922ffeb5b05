#include "ui/BitmapControls.h"

#include <algorithm>

#include "ui/Editor.h"
#include "ui/FrameStrip.h"

BitmapControl::BitmapControl(EditorDelegate* delegate, int x, int y, int parameterIndex, const FrameStrip& strip,
                             int blendMethod)
    : Control(delegate, FrameArea(x, y, strip), parameterIndex, blendMethod), strip_(strip) {}

int BitmapControl::CurrentFrame() const { return FrameForValue(Value(), strip_.frames); }

bool BitmapControl::Render(Editor& graphics) { return graphics.DrawFrame(strip_, Area(), CurrentFrame(), &Blend()); }

void SwitchControl::HandlePress(int /*x*/, int /*y*/, const PointerMods& /*mods*/) {
  double value = Value() + (strip_.frames < 2 ? 1.0 : 1.0 / (strip_.frames - 1));
  if (value > 1.001) value = 0.0;
  SetValue(value);
  MarkChanged(true);
}

SwitchFramesControl::SwitchFramesControl(EditorDelegate* delegate, int x, int y, int parameterIndex,
                                         const FrameStrip& strip, int blendMethod)
    : SwitchControl(delegate, x, y, parameterIndex, strip, blendMethod) {
  const Rect& area = Area();
  const int frames = std::max(strip.frames, 1);
  const float bandHeight = static_cast<float>(area.bottom - area.top) / frames;
  for (int i = 0; i < frames; ++i) {
    const int top = area.top + static_cast<int>(i * bandHeight);
    bands_.push_back({area.left, top, area.right, static_cast<int>(top + bandHeight)});
  }
}

void SwitchFramesControl::HandlePress(int x, int y, const PointerMods& /*mods*/) {
  const int count = static_cast<int>(bands_.size());
  for (int i = 0; i < count; ++i) {
    if (bands_[static_cast<std::size_t>(i)].Contains(x, y)) {
      // A single band has nowhere to move: it stands for 0.
      SetValue(count < 2 ? 0.0 : static_cast<double>(i) / (count - 1));
      break;
    }
  }
  MarkChanged(true);
}

void ContactControl::HandleRelease(int /*x*/, int /*y*/, const PointerMods& /*mods*/) {
  SetValue(0.0);
  MarkChanged(true);
}
