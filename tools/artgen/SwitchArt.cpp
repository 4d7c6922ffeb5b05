#include "tools/artgen/SwitchArt.h"

#include <cmath>

namespace artgen {

namespace {

// The slot plate the switch is mounted in.
void DrawPlate(cairo_t* cr, double x, double y, double w, double h) {
  SetColour(cr, Hex(0x000000, 0.45));
  RoundedRect(cr, x + 0.5, y + 1, w - 1, h - 1, 3);
  cairo_fill(cr);
  cairo_pattern_t* plate = cairo_pattern_create_linear(x, y, x, y + h);
  AddStop(plate, 0, Hex(0x151618));
  AddStop(plate, 1, Hex(0x0c0d0e));
  RoundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1.5, 3);
  FillWith(cr, plate);
  SetColour(cr, Hex(0xffffff, 0.10));
  cairo_set_line_width(cr, 1);
  RoundedRect(cr, x + 1, y + 1, w - 2, h - 2.5, 2.5);
  cairo_stroke(cr);
}

void DrawBushing(cairo_t* cr, double cx, double cy) {
  cairo_pattern_t* nut = cairo_pattern_create_linear(cx, cy - 4.5, cx, cy + 4.5);
  AddStop(nut, 0, Hex(0xd8d8d6));
  AddStop(nut, 1, Hex(0x55575a));
  cairo_arc(cr, cx, cy, 4.5, 0, 2 * M_PI);
  FillWith(cr, nut);
  SetColour(cr, Hex(0x111213));
  cairo_arc(cr, cx, cy, 2.6, 0, 2 * M_PI);
  cairo_fill(cr);
}

// A chrome bat from the bushing to its ball tip at `tipY`.
void DrawBat(cairo_t* cr, double cx, double cy, double tipY) {
  const double direction = tipY < cy ? -1 : 1;
  const double ball = 2.7;
  // Its shadow falls downwards onto the plate.
  SetColour(cr, Hex(0x000000, 0.5));
  cairo_move_to(cr, cx - 1.6, cy + 1.2);
  cairo_line_to(cr, cx - ball + 0.3, tipY + 1.2);
  cairo_line_to(cr, cx + ball - 0.3, tipY + 1.2);
  cairo_line_to(cr, cx + 1.6, cy + 1.2);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_arc(cr, cx, tipY + 1.3, ball, 0, 2 * M_PI);
  cairo_fill(cr);

  cairo_pattern_t* metal = cairo_pattern_create_linear(cx - ball, 0, cx + ball, 0);
  AddStop(metal, 0, Hex(0x8d8f93));
  AddStop(metal, 0.35, Hex(0xf6f6f4));
  AddStop(metal, 1, Hex(0x66686c));
  cairo_move_to(cr, cx - 1.6, cy);
  cairo_line_to(cr, cx - ball + 0.2, tipY);
  cairo_line_to(cr, cx + ball - 0.2, tipY);
  cairo_line_to(cr, cx + 1.6, cy);
  cairo_close_path(cr);
  FillWith(cr, metal);

  cairo_pattern_t* tip = cairo_pattern_create_radial(cx - 0.9, tipY - 0.9 * direction - 0.4, 0.3, cx, tipY, ball);
  AddStop(tip, 0, Hex(0xffffff));
  AddStop(tip, 1, Hex(0x77797d));
  cairo_arc(cr, cx, tipY, ball, 0, 2 * M_PI);
  FillWith(cr, tip);
}

// The bat seen end on: a ball over the bushing.
void DrawBatEndOn(cairo_t* cr, double cx, double cy) {
  SetColour(cr, Hex(0x000000, 0.5));
  cairo_arc(cr, cx, cy + 1.2, 3.4, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_t* tip = cairo_pattern_create_radial(cx - 1.1, cy - 1.2, 0.3, cx, cy, 3.4);
  AddStop(tip, 0, Hex(0xffffff));
  AddStop(tip, 1, Hex(0x6f7175));
  cairo_arc(cr, cx, cy, 3.4, 0, 2 * M_PI);
  FillWith(cr, tip);
}

}  // namespace

cairo_surface_t* PaintToggleStrip(int width, int frameHeight, int frames) {
  cairo_surface_t* surface = NewSurface(width, frameHeight * frames);
  cairo_t* cr = cairo_create(surface);
  const double band = double(frameHeight) / frames;
  for (int frame = 0; frame < frames; ++frame) {
    const double top = frame * frameHeight;
    const double cx = width / 2.0, cy = top + frameHeight / 2.0;
    DrawPlate(cr, 0, top, width, frameHeight);
    DrawBushing(cr, cx, cy);
    const double bandCentre = top + band * (frame + 0.5);
    if (std::fabs(bandCentre - cy) < 1) {
      DrawBatEndOn(cr, cx, cy);
    } else {
      // The ball sits in its band, short of the plate's edge.
      const double reach = std::fabs(bandCentre - cy) + band * 0.1;
      DrawBat(cr, cx, cy, cy + (bandCentre < cy ? -reach : reach));
    }
  }
  cairo_destroy(cr);
  return surface;
}

}  // namespace artgen
