// The panel's metal: a dark brushed plate with a soft vignette, and the
// screws that hold plates on it. The blinds use the same plate as the
// panel under them, so they match it pixel for pixel.
#pragma once

#include "tools/artgen/Canvas.h"

namespace artgen {

// The top of the lower strip (tweak panel, program and utility controls),
// where the plate turns darker.
constexpr int kStripTop = 310;

// The plate's colour on a pixel `size` units square whose top left corner
// lies at (left, top) of the panel.
Colour PlateAt(double left, double top, double size);
// Fills a surface with the plate as it lies at (originX, originY) of the
// panel, at the surface's own scale.
void FillPlate(cairo_surface_t* surface, int originX, int originY);
// Four screws near the corners of a plate.
void DrawScrews(cairo_t* cr, double x, double y, double w, double h);

}  // namespace artgen
