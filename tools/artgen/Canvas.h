// What the art generator's painters share: colours, type, rounded shapes,
// angles on a dial and PNG output, on cairo image surfaces.
#pragma once

#include <cairo.h>

#include <string>
#include <vector>

namespace artgen {

struct Colour {
  double r, g, b, a;
};

// 0xRRGGBB with an opacity.
constexpr Colour Hex(unsigned rgb, double alpha = 1.0) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
}
Colour Mix(Colour a, Colour b, double t);
Colour WithAlpha(Colour c, double alpha);
void SetColour(cairo_t* cr, Colour c);
void AddStop(cairo_pattern_t* pattern, double offset, Colour c);
// Fill the current path with, or paint the whole surface with, `pattern`,
// which is then released.
void FillWith(cairo_t* cr, cairo_pattern_t* pattern);
void PaintWith(cairo_t* cr, cairo_pattern_t* pattern);

// The panel's palette.
namespace ink {
constexpr Colour kPlate = Hex(0x2b2d31);
constexpr Colour kStrip = Hex(0x212326);
constexpr Colour kRule = Hex(0xe2ddd0, 0.30);
constexpr Colour kLabel = Hex(0xeee9de);
constexpr Colour kLegend = Hex(0xbdb8ac);
constexpr Colour kAccent = Hex(0xf29a35);
constexpr Colour kCream = Hex(0xf1ebdd);
}  // namespace ink

// Painters draw in the panel's units: the surfaces NewSurface makes hold
// `scale` device pixels to the unit (1, or 2 for the doubled art), so every
// painter draws the same picture, text and all, at each size.
void SetArtScale(int scale);
// A cleared (transparent) ARGB surface of `width` x `height` units at the
// art scale; the caller destroys it.
cairo_surface_t* NewSurface(int width, int height);
bool WritePng(cairo_surface_t* surface, const std::string& path);

// Type: the panel prints with the condensed sans of the system's fonts.
struct Type {
  const char* family;
  double size;
  bool bold;
  double tracking;  // extra pixels after each character
};
namespace type {
constexpr Type kLabel{"DejaVu Sans Condensed", 8.0, true, 0.25};
constexpr Type kLegend{"DejaVu Sans Condensed", 7.0, true, 0.2};
constexpr Type kTitle{"DejaVu Sans", 8.0, true, 1.4};
constexpr Type kHint{"DejaVu Sans Condensed", 6.5, true, 0};
}  // namespace type

enum class Align { kLeft, kCentre, kRight };

void UseType(cairo_t* cr, const Type& type);
// Width of `text` in the current type, with `tracking` after each character
// but the last.
double TextWidth(cairo_t* cr, const std::string& text, double tracking);
// Draws `text` with its baseline at y and x at its left, centre or right.
void ShowText(cairo_t* cr, const std::string& text, double x, double baseline, Align align, double tracking);
// The height of capitals in the current type.
double CapHeight(cairo_t* cr);

struct Point {
  double x, y;
};
// A point `radius` from the centre at `degrees` clockwise from straight up.
Point Polar(double cx, double cy, double radius, double degrees);

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
// A closed outline through `corners` (axis-parallel edges), each corner
// rounded off by `r`.
void RoundedOutline(cairo_t* cr, const std::vector<Point>& corners, double r);

}  // namespace artgen
