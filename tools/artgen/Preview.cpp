#include "tools/artgen/Preview.h"

#include <algorithm>
#include <cmath>

#include "instrument/PanelCommands.h"
#include "instrument/panel/PanelLayout.h"
#include "tools/artgen/ParameterTexts.h"

namespace artgen {

namespace {

using panel::ControlKind;
using panel::ControlSpec;

void DrawFrame(cairo_t* cr, cairo_surface_t* image, int frames, int frame, const Rect& area) {
  const int frameHeight = cairo_image_surface_get_height(image) / frames;
  cairo_save(cr);
  cairo_rectangle(cr, area.left, area.top, cairo_image_surface_get_width(image), frameHeight);
  cairo_clip(cr);
  cairo_set_source_surface(cr, image, area.left, area.top - frame * frameHeight);
  cairo_paint(cr);
  cairo_restore(cr);
}

// The frame the editor shows for a normalised value.
int FrameOf(double value, int frames) { return std::clamp(int((frames - 1) * value + 0.5), 0, frames - 1); }

void DrawText(cairo_t* cr, const char* face, double size, Colour colour, const char* text, const Rect& rect,
              Align align) {
  cairo_save(cr);
  cairo_select_font_face(cr, face, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
  SetColour(cr, colour);
  cairo_font_extents_t font;
  cairo_font_extents(cr, &font);
  const double baseline = rect.top + (rect.Height() + font.ascent - font.descent) / 2;
  const double x = align == Align::kRight ? rect.right : (rect.left + rect.right) / 2.0;
  ShowText(cr, text, x, baseline, align, 0);
  cairo_restore(cr);
}

}  // namespace

cairo_surface_t* ComposePreview(const std::map<int, cairo_surface_t*>& images, const ParameterTexts& texts, bool open) {
  cairo_surface_t* surface = NewSurface(panel::kPanelWidth, panel::kPanelHeight);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_surface(cr, images.at(panel::kBackImage), 0, 0);
  cairo_paint(cr);
  for (const ControlSpec& control : panel::kControls) {
    const bool closedOnly = control.kind == ControlKind::kBlind || control.kind == ControlKind::kVersionText ||
                            control.parameter == panel::kOpenTweakPanel;
    if (open && closedOnly) continue;
    if (!open && control.parameter == panel::kCloseTweakPanel) continue;
    if (control.kind == ControlKind::kLight && !open) continue;
    if (control.kind == ControlKind::kVersionText) {
      DrawText(cr, "DejaVu Sans", 15, Hex(0xa0a0c0, 0.5), panel::kVersionText, control.area, Align::kRight);
      continue;
    }
    if (control.kind == ControlKind::kPresetMenu) {
      DrawText(cr, "Liberation Sans", 15, Hex(0xffffff, 0.63), "00", panel::kProgramNumberRect, Align::kCentre);
      DrawText(cr, "Liberation Sans", 15, Hex(0xffffff, 0.63), "Big Brass Lead", panel::kProgramNameRect,
               Align::kCentre);
      continue;
    }
    if (control.kind == ControlKind::kTempoMenu) {
      Rect rect = control.area;
      rect.top += 4;
      DrawText(cr, "DejaVu Sans", 11, Hex(0xa0a0c0), "1/4", rect, Align::kCentre);
      continue;
    }
    if (!control.image) continue;
    const panel::ImageSpec* spec = panel::FindImage(control.image);
    int image = control.image, frame = 0;
    if (control.kind == ControlKind::kButtonKick && control.parameter == panel::kUnisonButton) image = control.onImage;
    if (control.parameter >= 0) frame = FrameOf(texts.DefaultNormalised(control.parameter), spec->frames);
    DrawFrame(cr, images.at(image), spec->frames, frame, control.area);
  }
  cairo_destroy(cr);
  return surface;
}

}  // namespace artgen
