// The knobs: 65-frame film strips for the value knobs and four-frame strips
// for the rotary switches, in a dark and a cream finish.
#pragma once

#include "tools/artgen/Canvas.h"

namespace artgen {

enum class KnobFinish { kDark, kCream };

// The value knobs turn 300 degrees, centred on straight up.
constexpr double kKnobSweep = 300;
// The rotary switches stop at four angles, a quarter turn apart.
constexpr double kRotaryAngles[4] = {-135, -45, 45, 135};
// Everything a knob draws stays inside this radius of its frame's centre;
// the panel prints its scale beyond it.
constexpr double kKnobRadius = 15.5;

// Strips of `frames` stacked frames of size x size: the value knob at even
// steps over its sweep, the rotary switch at its four stops.
cairo_surface_t* PaintKnobStrip(KnobFinish finish, int size, int frames);
cairo_surface_t* PaintRotarySwitchStrip(KnobFinish finish, int size, int frames);

}  // namespace artgen
