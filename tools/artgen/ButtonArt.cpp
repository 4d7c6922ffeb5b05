#include "tools/artgen/ButtonArt.h"

#include <cmath>

namespace artgen {

namespace {

struct CapColours {
  Colour top, bottom, edge;
};

CapColours ColoursOf(CapColour colour) {
  switch (colour) {
    case CapColour::kCream: return {Hex(0xf4eee0), Hex(0xbdb39e), Hex(0x6d6656)};
    case CapColour::kOrange: return {Hex(0xf6a24a), Hex(0xc25a12), Hex(0x6a2c05)};
    case CapColour::kGrey: break;
  }
  return {Hex(0x63666c), Hex(0x2e3034), Hex(0x0e0f10)};
}

// A key cap in its bezel, with a light window across its top; `down` sinks
// it by a pixel and takes some of its light.
void DrawKeyCap(cairo_t* cr, double x, double y, double w, double h, CapColour colour, bool lit, bool down) {
  const CapColours c = ColoursOf(colour);
  // The bezel: a dark well the cap stands in.
  SetColour(cr, Hex(0x000000, 0.55));
  RoundedRect(cr, x + 1, y + 1.5, w - 2, h - 2, 3.5);
  cairo_fill(cr);
  SetColour(cr, Hex(0x0b0c0d));
  RoundedRect(cr, x + 1, y + 1, w - 2, h - 2.5, 3.5);
  cairo_fill(cr);

  const double sink = down ? 1 : 0;
  const double cx = x + 3, cy = y + 3 + sink, cw = w - 6, ch = h - 8.5;
  if (!down) {
    SetColour(cr, Hex(0x000000, 0.6));
    RoundedRect(cr, cx, cy + 1.5, cw, ch, 2.5);
    cairo_fill(cr);
  }
  cairo_pattern_t* face = cairo_pattern_create_linear(cx, cy, cx, cy + ch);
  const double dim = down ? 0.18 : 0;
  AddStop(face, 0, Mix(c.top, Hex(0x000000), dim));
  AddStop(face, 1, Mix(c.bottom, Hex(0x000000), dim));
  RoundedRect(cr, cx, cy, cw, ch, 2.5);
  FillWith(cr, face);
  SetColour(cr, WithAlpha(c.edge, 0.9));
  cairo_set_line_width(cr, 0.8);
  RoundedRect(cr, cx + 0.4, cy + 0.4, cw - 0.8, ch - 0.8, 2.2);
  cairo_stroke(cr);
  SetColour(cr, Hex(0xffffff, down ? 0.12 : 0.28));
  cairo_move_to(cr, cx + 2.5, cy + 1.2);
  cairo_line_to(cr, cx + cw - 2.5, cy + 1.2);
  cairo_stroke(cr);

  // The light window.
  const double lx = cx + 3, ly = cy + 4, lw = cw - 6, lh = 4;
  SetColour(cr, Hex(0x000000, 0.6));
  RoundedRect(cr, lx - 0.7, ly - 0.7, lw + 1.4, lh + 1.4, 1.6);
  cairo_fill(cr);
  cairo_pattern_t* lens = cairo_pattern_create_linear(lx, ly, lx, ly + lh);
  if (lit) {
    AddStop(lens, 0, Hex(0xffd9a8));
    AddStop(lens, 0.45, Hex(0xff5a24));
    AddStop(lens, 1, Hex(0xd42a0c));
  } else {
    AddStop(lens, 0, Hex(0x5a1a12));
    AddStop(lens, 1, Hex(0x2a0906));
  }
  RoundedRect(cr, lx, ly, lw, lh, 1.2);
  FillWith(cr, lens);
  if (lit) {
    // The light spills over the cap around the window.
    cairo_pattern_t* glow = cairo_pattern_create_radial(lx + lw / 2, ly + lh / 2, 1, lx + lw / 2, ly + lh / 2, 10);
    AddStop(glow, 0, Hex(0xff6a2a, 0.55));
    AddStop(glow, 1, Hex(0xff6a2a, 0));
    RoundedRect(cr, cx, cy, cw, ch, 2.5);
    FillWith(cr, glow);
  }
  // Fine grip lines across the lower cap.
  SetColour(cr, Hex(0x000000, 0.16));
  cairo_set_line_width(cr, 0.8);
  for (int line = 0; line < 5; ++line) {
    const double ly2 = cy + ch - 5 - line * 3;
    cairo_move_to(cr, cx + 3, ly2);
    cairo_line_to(cr, cx + cw - 3, ly2);
  }
  cairo_stroke(cr);
}

}  // namespace

cairo_surface_t* PaintKeyCapStrip(CapColour colour, bool lit, int width, int frameHeight, int frames) {
  cairo_surface_t* surface = NewSurface(width, frameHeight * frames);
  cairo_t* cr = cairo_create(surface);
  for (int frame = 0; frame < frames; ++frame)
    DrawKeyCap(cr, 0, frame * frameHeight, width, frameHeight, colour, lit, frame > 0);
  cairo_destroy(cr);
  return surface;
}

cairo_surface_t* PaintLight(int width, int height) {
  cairo_surface_t* surface = NewSurface(width, height);
  cairo_t* cr = cairo_create(surface);
  const double cx = width / 2.0, cy = height / 2.0, r = std::min(width, height) / 2.0;
  cairo_pattern_t* glow = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
  AddStop(glow, 0, Hex(0xfff4d0));
  AddStop(glow, 0.3, Hex(0xffa050));
  AddStop(glow, 0.62, Hex(0xff3c14));
  AddStop(glow, 0.8, Hex(0xe02a0a, 0.55));
  AddStop(glow, 1, Hex(0xff2a00, 0));
  PaintWith(cr, glow);
  cairo_destroy(cr);
  return surface;
}

void DrawUnlitLens(cairo_t* cr, double x, double y, double size) {
  const double cx = x + size / 2, cy = y + size / 2, r = size / 2 - 1;
  SetColour(cr, Hex(0x000000, 0.7));
  cairo_arc(cr, cx, cy, r + 0.9, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_t* lens = cairo_pattern_create_radial(cx - 0.8, cy - 0.9, 0.2, cx, cy, r);
  AddStop(lens, 0, Hex(0x8a3426));
  AddStop(lens, 1, Hex(0x2c0a06));
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  FillWith(cr, lens);
}

cairo_surface_t* PaintArrowStrip(bool next, int width, int frameHeight, int frames) {
  cairo_surface_t* surface = NewSurface(width, frameHeight * frames);
  cairo_t* cr = cairo_create(surface);
  for (int frame = 0; frame < frames; ++frame) {
    const double top = frame * frameHeight;
    const bool down = frame > 0;
    SetColour(cr, Hex(0x000000, 0.5));
    RoundedRect(cr, 0.5, top + 1, width - 1, frameHeight - 1, 3);
    cairo_fill(cr);
    cairo_pattern_t* face = cairo_pattern_create_linear(0, top, 0, top + frameHeight);
    AddStop(face, 0, down ? Hex(0x2a2c30) : Hex(0x4a4d53));
    AddStop(face, 1, down ? Hex(0x16171a) : Hex(0x222427));
    RoundedRect(cr, 0.5, top + 0.5 + (down ? 1 : 0), width - 1, frameHeight - 2, 3);
    FillWith(cr, face);
    SetColour(cr, Hex(0xffffff, down ? 0.06 : 0.16));
    cairo_set_line_width(cr, 1);
    RoundedRect(cr, 1, top + 1 + (down ? 1 : 0), width - 2, frameHeight - 3, 2.5);
    cairo_stroke(cr);

    const double cx = width / 2.0, cy = top + frameHeight / 2.0 - 0.5 + (down ? 1 : 0);
    const double s = next ? 1 : -1;
    SetColour(cr, down ? ink::kAccent : ink::kLabel);
    cairo_move_to(cr, cx + 3.2 * s, cy);
    cairo_line_to(cr, cx - 2.4 * s, cy - 4.2);
    cairo_line_to(cr, cx - 2.4 * s, cy + 4.2);
    cairo_close_path(cr);
    cairo_fill(cr);
  }
  cairo_destroy(cr);
  return surface;
}

void DrawFaceButton(cairo_t* cr, double x, double y, double w, double h, const char* text, Colour textColour, bool lit,
                    Colour glow) {
  SetColour(cr, Hex(0x000000, 0.5));
  RoundedRect(cr, x + 0.5, y + 1, w - 1, h - 1, 3);
  cairo_fill(cr);
  cairo_pattern_t* face = cairo_pattern_create_linear(x, y, x, y + h);
  if (lit) {
    AddStop(face, 0, Mix(glow, Hex(0xffffff), 0.35));
    AddStop(face, 1, Mix(glow, Hex(0x000000), 0.25));
  } else {
    AddStop(face, 0, Hex(0x46494f));
    AddStop(face, 1, Hex(0x1f2124));
  }
  RoundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 2, 3);
  FillWith(cr, face);
  SetColour(cr, Hex(0xffffff, lit ? 0.35 : 0.14));
  cairo_set_line_width(cr, 1);
  RoundedRect(cr, x + 1, y + 1, w - 2, h - 3, 2.5);
  cairo_stroke(cr);

  cairo_save(cr);
  UseType(cr, type::kLabel);
  const double baseline = y + (h - 1) / 2 + CapHeight(cr) / 2;
  SetColour(cr, lit ? Hex(0x1a1206) : textColour);
  ShowText(cr, text, x + w / 2, baseline, Align::kCentre, type::kLabel.tracking + 0.3);
  cairo_restore(cr);
}

cairo_surface_t* PaintLearnStrip(const char* text, Colour textColour, Colour glow, int width, int frameHeight,
                                 int frames) {
  cairo_surface_t* surface = NewSurface(width, frameHeight * frames);
  cairo_t* cr = cairo_create(surface);
  for (int frame = 0; frame < frames; ++frame)
    DrawFaceButton(cr, 0, frame * frameHeight, width, frameHeight, text, textColour, frame > 0, glow);
  cairo_destroy(cr);
  return surface;
}

cairo_surface_t* PaintTweakTab(bool opens, int width, int height) {
  cairo_surface_t* surface = NewSurface(width, height);
  cairo_t* cr = cairo_create(surface);
  SetColour(cr, Hex(0x000000, 0.5));
  RoundedRect(cr, 0.5, 1, width - 1, height - 1, 3.5);
  cairo_fill(cr);
  cairo_pattern_t* face = cairo_pattern_create_linear(0, 0, 0, height);
  AddStop(face, 0, Hex(0x4a4d53));
  AddStop(face, 1, Hex(0x1f2124));
  RoundedRect(cr, 0.5, 0.5, width - 1, height - 2, 3.5);
  FillWith(cr, face);
  SetColour(cr, Hex(0xffffff, 0.15));
  cairo_set_line_width(cr, 1);
  RoundedRect(cr, 1, 1, width - 2, height - 3, 3);
  cairo_stroke(cr);

  const double cx = width / 2.0, cy = (height - 1) / 2.0, s = opens ? -1 : 1;
  SetColour(cr, ink::kAccent);
  cairo_set_line_width(cr, 2);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_move_to(cr, cx - 5, cy - 2.2 * s);
  cairo_line_to(cr, cx, cy + 2.8 * s);
  cairo_line_to(cr, cx + 5, cy - 2.2 * s);
  cairo_stroke(cr);
  cairo_destroy(cr);
  return surface;
}

}  // namespace artgen
