// The sizes the panel is shown at: five steps from 100 % to 200 %, and the
// rounding that turns a length drawn for 100 % into pixels at a step.
#pragma once

#include "graphics/Rect.h"

constexpr int kZoomStepCount = 5;
constexpr int kZoomSteps[kZoomStepCount] = {100, 125, 150, 175, 200};
constexpr int kDefaultZoom = 100;

bool IsZoomStep(int percent);
// The step nearest a scale factor (1.0 is 100 %), within the steps; 100 %
// for a factor that is no number or not above zero.
int NearestZoom(double factor);
// The largest step whose panel fits `width` x `height` pixels of a panel
// `baseWidth` x `baseHeight` at 100 %; 100 % when none does.
int LargestZoomWithin(int width, int height, int baseWidth, int baseHeight);

// A length at `percent`, to the nearest pixel (halves away from zero).
int Zoomed(int pixels, int percent);
// Each edge rounded on its own, so rectangles that touch at 100 % touch at
// every step.
graphics::Rect Zoomed(const graphics::Rect& area, int percent);
