// Buttons and lights: the latching key caps with their LED window, the
// light, the program arrows, the MIDI learn switch faces and the tabs that
// open and close the tweak panel. Two-frame strips show the button at rest
// (frame 1) and held down (frame 2).
#pragma once

#include "tools/artgen/Canvas.h"

namespace artgen {

enum class CapColour { kGrey, kCream, kOrange };

cairo_surface_t* PaintKeyCapStrip(CapColour colour, bool lit, int width, int frameHeight, int frames);
cairo_surface_t* PaintLight(int width, int height);
// The panel's dark lens where a light sits, seen while the light is off.
void DrawUnlitLens(cairo_t* cr, double x, double y, double size);
cairo_surface_t* PaintArrowStrip(bool next, int width, int frameHeight, int frames);

// A flat labelled push button: the learn switch and the options button the
// panel prints. `lit` glows in `glow`.
void DrawFaceButton(cairo_t* cr, double x, double y, double w, double h, const char* text, Colour textColour, bool lit,
                    Colour glow);
cairo_surface_t* PaintLearnStrip(const char* text, Colour textColour, Colour glow, int width, int frameHeight,
                                 int frames);
// The small tab that opens (chevron up) or closes (chevron down) the tweak
// panel.
cairo_surface_t* PaintTweakTab(bool opens, int width, int height);

}  // namespace artgen
