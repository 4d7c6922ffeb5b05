// How a frame strip maps values to frames and frames to image positions.
#pragma once

#include "ui/PanelTypes.h"

// One frame of the strip with its top-left corner at (x, y).
Rect FrameArea(int x, int y, const FrameStrip& strip);

// The 1-based frame of `frames` that a normalised value shows.
int FrameForValue(double value, int frames);

// Where 1-based `frame` starts inside the strip's image.
void FrameOffset(const FrameStrip& strip, int frame, int* x, int* y);
