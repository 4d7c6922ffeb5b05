#include "tools/artgen/Wordmark.h"

#include <cmath>

namespace artgen {

void DrawMark(cairo_t* cr, double cx, double cy, double r) {
  const double k = r / 14;
  SetColour(cr, Hex(0x000000, 0.5));
  cairo_arc(cr, cx, cy + 1.2 * k, r, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_t* disc = cairo_pattern_create_linear(0, cy - r, 0, cy + r);
  AddStop(disc, 0, Hex(0xffb45a));
  AddStop(disc, 1, Hex(0xd2611a));
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  FillWith(cr, disc);
  cairo_save(cr);
  SetColour(cr, Hex(0x1c1d20));
  cairo_set_line_width(cr, 2.0 * k);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  const double waveLeft = cx - 9.5 * k, amplitude = 5 * k;
  for (int step = 0; step <= 30; ++step) {
    const double t = step / 30.0;
    const double x = waveLeft + 10 * k * t, y = cy - amplitude * std::sin(t * 2 * M_PI);
    if (step == 0)
      cairo_move_to(cr, x, y);
    else
      cairo_line_to(cr, x, y);
  }
  cairo_line_to(cr, waveLeft + 19 * k, cy - amplitude);
  cairo_line_to(cr, waveLeft + 19 * k, cy + amplitude * 0.6);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// The maker's and the instrument's names across the top left.
void DrawWordmark(cairo_t* cr) {
  cairo_save(cr);
  const double left = 18, baseline = 50;
  DrawMark(cr, left + 14, baseline - 12, 14);

  const Type wordmark{"DejaVu Sans", 31, true, 5.5};
  UseType(cr, wordmark);
  const double nameLeft = left + 38;
  cairo_pattern_t* metal = cairo_pattern_create_linear(0, baseline - 24, 0, baseline);
  AddStop(metal, 0, Hex(0xfbf7ee));
  AddStop(metal, 1, Hex(0xc9c1ae));
  // Engraved: a dark copy a pixel down under the lettering.
  SetColour(cr, Hex(0x000000, 0.6));
  ShowText(cr, "KESTRION", nameLeft, baseline + 1.2, Align::kLeft, wordmark.tracking);
  cairo_set_source(cr, metal);
  ShowText(cr, "KESTRION", nameLeft, baseline, Align::kLeft, wordmark.tracking);
  cairo_pattern_destroy(metal);
  const double nameRight = nameLeft + TextWidth(cr, "KESTRION", wordmark.tracking);

  const Type subtitle{"DejaVu Sans Condensed", 8.5, true, 2.2};
  UseType(cr, subtitle);
  SetColour(cr, ink::kAccent);
  ShowText(cr, "PARAPHONIC SYNTHESIZER", nameLeft + 1, baseline + 14, Align::kLeft, subtitle.tracking);

  const Type maker{"DejaVu Sans", 8.5, true, 2.6};
  UseType(cr, maker);
  SetColour(cr, ink::kLegend);
  const double makerRight = 486;
  ShowText(cr, "HARROWVALE MUSIC", makerRight, baseline, Align::kRight, maker.tracking);
  const double makerLeft = makerRight - TextWidth(cr, "HARROWVALE MUSIC", maker.tracking);
  SetColour(cr, ink::kRule);
  cairo_set_line_width(cr, 1);
  cairo_move_to(cr, nameRight + 14, baseline - 3.5);
  cairo_line_to(cr, makerLeft - 10, baseline - 3.5);
  cairo_stroke(cr);
  cairo_restore(cr);
}

}  // namespace artgen
