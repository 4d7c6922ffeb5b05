#include "tools/artgen/PanelArt.h"

#include <algorithm>
#include <cmath>

#include "instrument/PanelCommands.h"
#include "instrument/panel/PanelLayout.h"
#include "tools/artgen/ControlPrint.h"
#include "tools/artgen/PanelSections.h"
#include "tools/artgen/Plate.h"
#include "tools/artgen/Wordmark.h"

namespace artgen {

namespace {

using panel::ControlKind;
using panel::ControlSpec;

void DrawStrip(cairo_t* cr) {
  SetColour(cr, Hex(0x000000, 0.55));
  cairo_rectangle(cr, 0, kStripTop - 1, panel::kPanelWidth, 1);
  cairo_fill(cr);
  SetColour(cr, Hex(0xffffff, 0.09));
  cairo_rectangle(cr, 0, kStripTop, panel::kPanelWidth, 1);
  cairo_fill(cr);
}

}  // namespace

cairo_surface_t* PaintBackground(const ParameterTexts& texts, int width, int height) {
  cairo_surface_t* surface = NewSurface(width, height);
  FillPlate(surface, 0, 0);
  cairo_t* cr = cairo_create(surface);
  DrawStrip(cr);
  DrawWordmark(cr);
  DrawSections(cr);
  for (const ControlSpec& control : panel::kControls) DrawControlPrint(cr, control, texts);
  DrawLabels(cr);
  cairo_destroy(cr);
  return surface;
}

namespace {

// A blind: the strip's own plate, bevelled and screwed on.
cairo_surface_t* PaintBlind(int width, int height, Point at) {
  cairo_surface_t* surface = NewSurface(width, height);
  FillPlate(surface, int(at.x), int(at.y));
  cairo_t* cr = cairo_create(surface);
  const double h = std::min<double>(height, panel::kPanelHeight - at.y);
  SetColour(cr, Hex(0xffffff, 0.10));
  cairo_rectangle(cr, 0, 0, width, 1);
  cairo_fill(cr);
  SetColour(cr, Hex(0x000000, 0.55));
  cairo_rectangle(cr, 0, h - 1, width, 1);
  cairo_rectangle(cr, at.x > 0 ? 0 : width - 1, 0, 1, h);
  cairo_fill(cr);
  SetColour(cr, Hex(0xffffff, 0.07));
  cairo_rectangle(cr, at.x > 0 ? 1 : width - 2, 1, 1, h - 2);
  cairo_fill(cr);
  DrawScrews(cr, 0, 0, width, h);
  cairo_destroy(cr);
  return surface;
}

}  // namespace

cairo_surface_t* PaintLeftBlind(int width, int height) {
  cairo_surface_t* surface = PaintBlind(width, height, kLeftBlindAt);
  cairo_t* cr = cairo_create(surface);
  cairo_translate(cr, -kLeftBlindAt.x, -kLeftBlindAt.y);
  for (const ControlSpec& control : panel::kControls)
    if (control.kind == ControlKind::kUtilityKick && control.parameter == panel::kOpenTweakPanel)
      DrawTweakTabLabel(cr, control.area);
  // The maker's plate.
  const Type maker{"DejaVu Sans", 11, true, 4.5};
  UseType(cr, maker);
  SetColour(cr, Hex(0x000000, 0.6));
  const double cx = kLeftBlindAt.x + width / 2.0 + 20, baseline = kLeftBlindAt.y + 44;
  ShowText(cr, "HARROWVALE MUSIC", cx, baseline + 1, Align::kCentre, maker.tracking);
  SetColour(cr, Hex(0xd8d2c4, 0.75));
  ShowText(cr, "HARROWVALE MUSIC", cx, baseline, Align::kCentre, maker.tracking);
  cairo_destroy(cr);
  return surface;
}

// The right blind leaves its right half plain: the release is printed
// there by the plug-in.
cairo_surface_t* PaintRightBlind(int width, int height) {
  cairo_surface_t* surface = PaintBlind(width, height, kRightBlindAt);
  cairo_t* cr = cairo_create(surface);
  const double cy = 43;
  DrawMark(cr, 36, cy, 9);
  const Type name{"DejaVu Sans", 10, true, 3.5};
  UseType(cr, name);
  const double baseline = std::round(cy + CapHeight(cr) / 2);
  SetColour(cr, Hex(0x000000, 0.6));
  ShowText(cr, "KESTRION", 52, baseline + 1, Align::kLeft, name.tracking);
  SetColour(cr, Hex(0xd8d2c4, 0.75));
  ShowText(cr, "KESTRION", 52, baseline, Align::kLeft, name.tracking);
  cairo_destroy(cr);
  return surface;
}

}  // namespace artgen
