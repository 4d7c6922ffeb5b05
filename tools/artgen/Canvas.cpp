#include "tools/artgen/Canvas.h"

#include <cmath>
#include <cstdint>

#include "graphics/RasterBitmap.h"
#include "tools/pngfile/PngFile.h"

namespace artgen {

Colour Mix(Colour a, Colour b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Colour WithAlpha(Colour c, double alpha) { return {c.r, c.g, c.b, alpha}; }

void SetColour(cairo_t* cr, Colour c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

void AddStop(cairo_pattern_t* pattern, double offset, Colour c) {
  cairo_pattern_add_color_stop_rgba(pattern, offset, c.r, c.g, c.b, c.a);
}

void FillWith(cairo_t* cr, cairo_pattern_t* pattern) {
  cairo_set_source(cr, pattern);
  cairo_fill(cr);
  cairo_pattern_destroy(pattern);
}

void PaintWith(cairo_t* cr, cairo_pattern_t* pattern) {
  cairo_set_source(cr, pattern);
  cairo_paint(cr);
  cairo_pattern_destroy(pattern);
}

namespace {
int artScale = 1;
}  // namespace

void SetArtScale(int scale) { artScale = scale; }

cairo_surface_t* NewSurface(int width, int height) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width * artScale, height * artScale);
  cairo_surface_set_device_scale(surface, artScale, artScale);
  return surface;
}

bool WritePng(cairo_surface_t* surface, const std::string& path) {
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
  const bool alpha = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32;
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  // cairo keeps colours multiplied by alpha; the images keep them straight.
  graphics::RasterMemBitmap bitmap(width, height);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t pixel = row[x];
      const unsigned a = alpha ? pixel >> 24 : 255;
      auto straight = [a](unsigned c) { return a == 0 ? 0u : (c * 255 + a / 2) / a; };
      bitmap.Row(y)[x] =
          a << 24 | straight(pixel >> 16 & 0xFF) << 16 | straight(pixel >> 8 & 0xFF) << 8 | straight(pixel & 0xFF);
    }
  }
  std::string error;
  return pngfile::WritePngFile(bitmap, path, &error,
                               alpha ? pngfile::Channels::kWithAlpha : pngfile::Channels::kOpaque);
}

void UseType(cairo_t* cr, const Type& type) {
  cairo_select_font_face(cr, type.family, CAIRO_FONT_SLANT_NORMAL,
                         type.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, type.size);
  // Small print stays crisp when the outlines are fitted to the pixel grid
  // vertically only; the letter widths keep their designed proportions.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
}

namespace {

// The UTF-8 sequences of `text`, one character each.
std::vector<std::string> Characters(const std::string& text) {
  std::vector<std::string> characters;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = 1;
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    if (lead >= 0xF0)
      length = 4;
    else if (lead >= 0xE0)
      length = 3;
    else if (lead >= 0xC0)
      length = 2;
    characters.push_back(text.substr(i, length));
    i += length;
  }
  return characters;
}

double Advance(cairo_t* cr, const std::string& text) {
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  return extents.x_advance;
}

}  // namespace

double TextWidth(cairo_t* cr, const std::string& text, double tracking) {
  if (tracking == 0) return Advance(cr, text);
  double width = 0;
  const std::vector<std::string> characters = Characters(text);
  for (const std::string& character : characters) width += Advance(cr, character) + tracking;
  return characters.empty() ? 0 : width - tracking;
}

void ShowText(cairo_t* cr, const std::string& text, double x, double baseline, Align align, double tracking) {
  const double width = TextWidth(cr, text, tracking);
  if (align == Align::kCentre) x -= width / 2;
  if (align == Align::kRight) x -= width;
  if (tracking == 0) {
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, text.c_str());
    return;
  }
  for (const std::string& character : Characters(text)) {
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, character.c_str());
    x += Advance(cr, character) + tracking;
  }
}

double CapHeight(cairo_t* cr) {
  cairo_text_extents_t extents;
  cairo_text_extents(cr, "H", &extents);
  return -extents.y_bearing;
}

Point Polar(double cx, double cy, double radius, double degrees) {
  const double a = degrees * M_PI / 180;
  return {cx + radius * std::sin(a), cy - radius * std::cos(a)};
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void RoundedOutline(cairo_t* cr, const std::vector<Point>& corners, double r) {
  const std::size_t n = corners.size();
  auto toward = [r](Point from, Point to) {
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double length = std::hypot(dx, dy);
    return Point{from.x + dx / length * r, from.y + dy / length * r};
  };
  cairo_new_sub_path(cr);
  for (std::size_t i = 0; i < n; ++i) {
    const Point previous = corners[(i + n - 1) % n], corner = corners[i], next = corners[(i + 1) % n];
    const Point in = toward(corner, previous), out = toward(corner, next);
    if (i == 0)
      cairo_move_to(cr, in.x, in.y);
    else
      cairo_line_to(cr, in.x, in.y);
    // A quarter circle through the corner's control point, close enough
    // for a few pixels of radius.
    const double k = 0.5523;
    cairo_curve_to(cr, in.x + (corner.x - in.x) * k, in.y + (corner.y - in.y) * k, out.x + (corner.x - out.x) * k,
                   out.y + (corner.y - out.y) * k, out.x, out.y);
  }
  cairo_close_path(cr);
}

}  // namespace artgen
