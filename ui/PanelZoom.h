// The rounding that turns a length drawn for 100 % into pixels at a step.
#pragma once

#include "graphics/Rect.h"
#include "plugin/PanelSizes.h"
#include "ui/PanelTypes.h"

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
// The style with its text size at `percent`; the font is found again.
TextStyle Zoomed(const TextStyle& style, int percent);
