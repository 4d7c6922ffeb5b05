// The instrument's mark and wordmark and the maker's name.
#pragma once

#include "tools/artgen/Canvas.h"

namespace artgen {

// The mark, a disc of radius r centred at (cx, cy).
void DrawMark(cairo_t* cr, double cx, double cy, double r);
// The wordmark across the panel's top left, above the first sections.
void DrawWordmark(cairo_t* cr);

}  // namespace artgen
