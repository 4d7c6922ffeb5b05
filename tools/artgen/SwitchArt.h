// The toggle switches: a bat lever on a round bushing, in two or three
// positions (frame 1 lever up, the last frame lever down).
#pragma once

#include "tools/artgen/Canvas.h"

namespace artgen {

// `frames` stacked frames of width x frameHeight. Frame k's lever points at
// the k-th of `frames` equal bands of the frame, so the lever always points
// at the band a press there selects; a middle position shows the bat end on.
cairo_surface_t* PaintToggleStrip(int width, int frameHeight, int frames);

}  // namespace artgen
