#include "tools/artgen/KnobArt.h"

#include <cmath>

namespace artgen {

namespace {

struct KnobColours {
  Colour skirtTop, skirtBottom, capLight, capDark, pointer, pointerEdge, knurl;
};

KnobColours ColoursOf(KnobFinish finish) {
  if (finish == KnobFinish::kCream)
    return {Hex(0xd9d1bf), Hex(0x7c7464),       Hex(0xfbf7ee),      Hex(0xcbc2ae),
            Hex(0x1c1c1e), Hex(0xffffff, 0.35), Hex(0x000000, 0.10)};
  return {Hex(0x55585e), Hex(0x121315),       Hex(0x5d6168),      Hex(0x222427),
          ink::kCream,   Hex(0x000000, 0.55), Hex(0xffffff, 0.07)};
}

// The body every knob shares: shadow, knurled skirt and a domed cap; the
// knurl turns with the knob, the light stays where it is.
void DrawBody(cairo_t* cr, double cx, double cy, const KnobColours& c, double degrees, double skirt, double cap) {
  // A soft shadow falling a little downwards onto the panel.
  cairo_pattern_t* shadow = cairo_pattern_create_radial(cx, cy + 1.6, skirt - 3, cx, cy + 1.6, kKnobRadius + 0.5);
  AddStop(shadow, 0, Hex(0x000000, 0.6));
  AddStop(shadow, 1, Hex(0x000000, 0));
  cairo_arc(cr, cx, cy + 1.6, kKnobRadius + 0.5, 0, 2 * M_PI);
  FillWith(cr, shadow);

  cairo_pattern_t* side = cairo_pattern_create_linear(cx, cy - skirt, cx, cy + skirt);
  AddStop(side, 0, c.skirtTop);
  AddStop(side, 1, c.skirtBottom);
  cairo_arc(cr, cx, cy, skirt, 0, 2 * M_PI);
  FillWith(cr, side);

  SetColour(cr, c.knurl);
  cairo_set_line_width(cr, 0.8);
  for (int ridge = 0; ridge < 36; ++ridge) {
    const Point inner = Polar(cx, cy, cap + 0.6, degrees + ridge * 10);
    const Point outer = Polar(cx, cy, skirt - 0.5, degrees + ridge * 10);
    cairo_move_to(cr, inner.x, inner.y);
    cairo_line_to(cr, outer.x, outer.y);
  }
  cairo_stroke(cr);

  SetColour(cr, Hex(0x000000, 0.55));
  cairo_set_line_width(cr, 0.8);
  cairo_arc(cr, cx, cy, skirt - 0.4, 0, 2 * M_PI);
  cairo_stroke(cr);

  // The cap's step down to the skirt, then the cap lit from the upper left.
  SetColour(cr, Hex(0x000000, 0.35));
  cairo_arc(cr, cx, cy + 0.6, cap + 0.6, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_t* dome = cairo_pattern_create_radial(cx - cap * 0.35, cy - cap * 0.45, 1, cx, cy, cap);
  AddStop(dome, 0, c.capLight);
  AddStop(dome, 1, c.capDark);
  cairo_arc(cr, cx, cy, cap, 0, 2 * M_PI);
  FillWith(cr, dome);

  cairo_pattern_t* rim = cairo_pattern_create_linear(cx, cy - cap, cx, cy + cap);
  AddStop(rim, 0, Hex(0xffffff, 0.30));
  AddStop(rim, 0.5, Hex(0xffffff, 0.0));
  AddStop(rim, 1, Hex(0x000000, 0.25));
  cairo_set_source(cr, rim);
  cairo_set_line_width(cr, 0.9);
  cairo_arc(cr, cx, cy, cap - 0.45, 0, 2 * M_PI);
  cairo_stroke(cr);
  cairo_pattern_destroy(rim);
}

void DrawPointer(cairo_t* cr, double cx, double cy, const KnobColours& c, double degrees, double from, double to,
                 double width) {
  const Point a = Polar(cx, cy, from, degrees), b = Polar(cx, cy, to, degrees);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  SetColour(cr, c.pointerEdge);
  cairo_set_line_width(cr, width + 1.2);
  cairo_move_to(cr, a.x, a.y);
  cairo_line_to(cr, b.x, b.y);
  cairo_stroke(cr);
  SetColour(cr, c.pointer);
  cairo_set_line_width(cr, width);
  cairo_move_to(cr, a.x, a.y);
  cairo_line_to(cr, b.x, b.y);
  cairo_stroke(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void DrawKnob(cairo_t* cr, double cx, double cy, KnobFinish finish, double degrees) {
  const KnobColours c = ColoursOf(finish);
  DrawBody(cr, cx, cy, c, degrees, 14.0, 10.6);
  DrawPointer(cr, cx, cy, c, degrees, 3.2, 13.2, 1.9);
}

// A selector: the same body carrying a raised bar that ends in the pointer.
void DrawRotarySwitch(cairo_t* cr, double cx, double cy, KnobFinish finish, double degrees) {
  const KnobColours c = ColoursOf(finish);
  DrawBody(cr, cx, cy, c, degrees, 14.0, 10.6);
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_rotate(cr, degrees * M_PI / 180);
  // The bar's shadow, then the bar lit from above.
  // The bar runs long towards the pointer and short behind, so the
  // setting reads from either end.
  auto barPath = [cr](double grow) {
    cairo_new_path(cr);
    cairo_move_to(cr, -3.4 - grow, 8.5);
    cairo_line_to(cr, -2.4 - grow, -10.5);
    cairo_arc(cr, 0, -10.5, 2.4 + grow, M_PI, 2 * M_PI);
    cairo_line_to(cr, 3.4 + grow, 8.5);
    cairo_arc(cr, 0, 8.5, 3.4 + grow, 0, M_PI);
    cairo_close_path(cr);
  };
  cairo_save(cr);
  cairo_rotate(cr, -degrees * M_PI / 180);
  cairo_translate(cr, 0, 0.8);
  cairo_rotate(cr, degrees * M_PI / 180);
  barPath(0.2);
  cairo_restore(cr);
  SetColour(cr, Hex(0x000000, 0.45));
  cairo_fill(cr);
  cairo_pattern_t* bar = cairo_pattern_create_linear(-3.6, 0, 3.6, 0);
  AddStop(bar, 0, Mix(c.capLight, c.skirtBottom, 0.15));
  AddStop(bar, 0.5, c.capLight);
  AddStop(bar, 1, Mix(c.capDark, c.skirtBottom, 0.5));
  cairo_set_source(cr, bar);
  barPath(0);
  cairo_fill(cr);
  cairo_pattern_destroy(bar);
  cairo_restore(cr);
  DrawPointer(cr, cx, cy, c, degrees, 3.5, 11.0, 1.6);
}

}  // namespace

cairo_surface_t* PaintKnobStrip(KnobFinish finish, int size, int frames) {
  cairo_surface_t* surface = NewSurface(size, size * frames);
  cairo_t* cr = cairo_create(surface);
  for (int frame = 0; frame < frames; ++frame) {
    const double degrees = -kKnobSweep / 2 + kKnobSweep * frame / (frames - 1);
    DrawKnob(cr, size / 2.0, size / 2.0 + frame * size, finish, degrees);
  }
  cairo_destroy(cr);
  return surface;
}

cairo_surface_t* PaintRotarySwitchStrip(KnobFinish finish, int size, int frames) {
  cairo_surface_t* surface = NewSurface(size, size * frames);
  cairo_t* cr = cairo_create(surface);
  for (int frame = 0; frame < frames && frame < 4; ++frame)
    DrawRotarySwitch(cr, size / 2.0, size / 2.0 + frame * size, finish, kRotaryAngles[frame]);
  cairo_destroy(cr);
  return surface;
}

}  // namespace artgen
