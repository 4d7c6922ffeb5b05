#include "ui/PanelZoom.h"

#include <cmath>

int NearestZoom(double factor) {
  if (!(factor > 0.0) || !std::isfinite(factor)) return kDefaultZoom;
  int best = kZoomSteps[0];
  for (int step : kZoomSteps)
    if (std::fabs(step - factor * 100.0) < std::fabs(best - factor * 100.0)) best = step;
  return best;
}

int LargestZoomWithin(int width, int height, int baseWidth, int baseHeight) {
  int best = kZoomSteps[0];
  for (int step : kZoomSteps)
    if (Zoomed(baseWidth, step) <= width && Zoomed(baseHeight, step) <= height) best = step;
  return best;
}

int Zoomed(int pixels, int percent) {
  const long long scaled = static_cast<long long>(pixels) * percent;
  return static_cast<int>(scaled >= 0 ? (scaled + 50) / 100 : -((-scaled + 50) / 100));
}

graphics::Rect Zoomed(const graphics::Rect& area, int percent) {
  return {Zoomed(area.left, percent), Zoomed(area.top, percent), Zoomed(area.right, percent),
          Zoomed(area.bottom, percent)};
}

TextStyle Zoomed(const TextStyle& style, int percent) {
  TextStyle zoomed = style;
  zoomed.size = Zoomed(style.size, percent);
  zoomed.cachedFont = nullptr;
  return zoomed;
}
