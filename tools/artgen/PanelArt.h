// The printed panel: the front plate with its wordmark, titled sections,
// labels, knob scales and switch legends, and the two blinds that cover
// the tweak panel.
#pragma once

#include "tools/artgen/Plate.h"

namespace artgen {

class ParameterTexts;

cairo_surface_t* PaintBackground(const ParameterTexts& texts, int width, int height);
cairo_surface_t* PaintLeftBlind(int width, int height);
cairo_surface_t* PaintRightBlind(int width, int height);

// Where the blinds sit on the panel.
constexpr Point kLeftBlindAt{0, kStripTop};
constexpr Point kRightBlindAt{830, kStripTop};

}  // namespace artgen
