// The sizes an editor shows its panel at, in percent of the panel's own:
// what the editor offers, the configuration file remembers and a state keeps.
#pragma once

constexpr int kZoomStepCount = 5;
constexpr int kZoomSteps[kZoomStepCount] = {100, 125, 150, 175, 200};
constexpr int kDefaultZoom = 100;

constexpr bool IsZoomStep(int percent) {
  for (int step : kZoomSteps)
    if (step == percent) return true;
  return false;
}
