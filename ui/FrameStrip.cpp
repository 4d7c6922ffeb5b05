#include "ui/FrameStrip.h"

#include <algorithm>

Rect FrameArea(int x, int y, const FrameStrip& strip) {
  const int frames = std::max(strip.frames, 1);
  if (strip.sideBySide) return {x, y, x + strip.width / frames, y + strip.height};
  return {x, y, x + strip.width, y + strip.height / frames};
}

int FrameForValue(double value, int frames) {
  if (frames < 2) return 1;
  const double position = (frames - 1) * value + 0.5;
  if (!(position >= 0)) return 1;
  if (position >= frames) return frames;
  return std::clamp(static_cast<int>(position) + 1, 1, frames);
}

void FrameOffset(const FrameStrip& strip, int frame, int* x, int* y) {
  *x = 0;
  *y = 0;
  if (strip.frames < 2 || frame < 2) return;
  const double fraction = static_cast<double>(frame - 1) / strip.frames;
  if (strip.sideBySide)
    *x = static_cast<int>(strip.width * fraction + 0.5);
  else
    *y = static_cast<int>(strip.height * fraction + 0.5);
}
