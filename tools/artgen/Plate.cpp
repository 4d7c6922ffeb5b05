#include "tools/artgen/Plate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "instrument/panel/PanelLayout.h"

namespace artgen {

namespace {

// Brushed metal: every column a little lighter or darker than its
// neighbours, the same all the way down. Seeded, so the art rebuilds
// byte for byte.
const std::vector<double>& BrushGrain() {
  static const std::vector<double> grain = [] {
    std::vector<double> fine(panel::kPanelWidth + 2), grain(panel::kPanelWidth + 2);
    std::uint32_t seed = 0x4b657374;
    auto next = [&seed] {
      seed = seed * 1664525u + 1013904223u;
      return ((seed >> 8) & 0xFFFF) / 65535.0 * 2 - 1;
    };
    for (double& value : fine) value = next();
    double slow = 0;
    for (std::size_t x = 0; x < grain.size(); ++x) {
      slow = slow * 0.85 + next() * 0.15;
      grain[x] = fine[x] * 0.016 + slow * 0.05;
    }
    return grain;
  }();
  return grain;
}

}  // namespace

// The grain, a light falling from above and a soft vignette towards the
// edges. The grain keeps its one-unit columns at every scale, so the
// brushing looks the same at each size.
Colour PlateAt(double left, double top, double size) {
  const double u = (left + 0.5 * size) / panel::kPanelWidth * 2 - 1;
  const double v = (top + 0.5 * size) / panel::kPanelHeight * 2 - 1;
  const double light = 1.06 - 0.10 * (top / panel::kPanelHeight) - 0.13 * (u * u * 0.7 + v * v * 0.5);
  const int column = std::clamp(int(std::floor(left)), 0, panel::kPanelWidth);
  const double shade = light + BrushGrain()[std::size_t(column)];
  const Colour base = top >= kStripTop ? ink::kStrip : ink::kPlate;
  return {base.r * shade, base.g * shade, base.b * shade, 1};
}

void FillPlate(cairo_surface_t* surface, int originX, int originY) {
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
  double scaleX, scaleY;
  cairo_surface_get_device_scale(surface, &scaleX, &scaleY);
  const double size = 1 / scaleX;
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride);
    for (int x = 0; x < width; ++x) {
      const Colour c = PlateAt(originX + x * size, originY + y * size, size);
      auto byte = [](double value) { return std::uint32_t(std::clamp(value, 0.0, 1.0) * 255 + 0.5); };
      row[x] = 0xFF000000u | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
    }
  }
  cairo_surface_mark_dirty(surface);
}

// Countersunk, slotted at an angle.
void DrawScrews(cairo_t* cr, double x, double y, double w, double h) {
  const Point heads[] = {{x + 7, y + 7}, {x + w - 7, y + 7}, {x + 7, y + h - 7}, {x + w - 7, y + h - 7}};
  for (const Point& head : heads) {
    SetColour(cr, Hex(0x000000, 0.55));
    cairo_arc(cr, head.x, head.y + 0.5, 3.2, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_t* metal = cairo_pattern_create_linear(head.x - 3, head.y - 3, head.x + 3, head.y + 3);
    AddStop(metal, 0, Hex(0x8c8f94));
    AddStop(metal, 1, Hex(0x3a3c40));
    cairo_arc(cr, head.x, head.y, 2.7, 0, 2 * M_PI);
    FillWith(cr, metal);
    SetColour(cr, Hex(0x141516, 0.9));
    cairo_set_line_width(cr, 0.9);
    cairo_move_to(cr, head.x - 1.9, head.y + 1.1);
    cairo_line_to(cr, head.x + 1.9, head.y - 1.1);
    cairo_stroke(cr);
  }
}

}  // namespace artgen
