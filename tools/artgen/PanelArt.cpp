#include "tools/artgen/PanelArt.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/panel/PanelCommands.h"
#include "editor/panel/PanelLayout.h"
#include "tools/artgen/ButtonArt.h"
#include "tools/artgen/KnobArt.h"
#include "tools/artgen/ParameterTexts.h"

namespace artgen {

namespace {

using panel::ControlKind;
using panel::ControlSpec;

// --- The plate ---------------------------------------------------------------

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

// The plate's brightness at a panel pixel: the grain, a light falling from
// above and a soft vignette towards the edges.
Colour PlateAt(int x, int y) {
  const double u = (x + 0.5) / panel::kPanelWidth * 2 - 1, v = (y + 0.5) / panel::kPanelHeight * 2 - 1;
  const double light = 1.06 - 0.10 * (y / double(panel::kPanelHeight)) - 0.13 * (u * u * 0.7 + v * v * 0.5);
  const double shade = light + BrushGrain()[std::size_t(std::clamp(x, 0, panel::kPanelWidth))];
  const Colour base = y >= kStripTop ? ink::kStrip : ink::kPlate;
  return {base.r * shade, base.g * shade, base.b * shade, 1};
}

// Fills a surface with the plate as it lies at (originX, originY) of the
// panel, so that the blinds match the panel under them.
void FillPlate(cairo_surface_t* surface, int originX, int originY) {
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride);
    for (int x = 0; x < width; ++x) {
      const Colour c = PlateAt(originX + x, originY + y);
      auto byte = [](double value) { return std::uint32_t(std::clamp(value, 0.0, 1.0) * 255 + 0.5); };
      row[x] = 0xFF000000u | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
    }
  }
  cairo_surface_mark_dirty(surface);
}

// Four countersunk screws near the corners of a plate.
void DrawScrews(cairo_t* cr, double x, double y, double w, double h) {
  const Point heads[] = {{x + 7, y + 7}, {x + w - 7, y + 7}, {x + 7, y + h - 7}, {x + w - 7, y + h - 7}};
  for (const Point& head : heads) {
    SetColour(cr, Hex(0x000000, 0.55));
    cairo_arc(cr, head.x, head.y + 0.5, 3.2, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_t* metal = cairo_pattern_create_linear(head.x - 3, head.y - 3, head.x + 3, head.y + 3);
    AddStop(metal, 0, Hex(0x8c8f94));
    AddStop(metal, 1, Hex(0x3a3c40));
    cairo_set_source(cr, metal);
    cairo_arc(cr, head.x, head.y, 2.7, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(metal);
    SetColour(cr, Hex(0x141516, 0.9));
    cairo_set_line_width(cr, 0.9);
    cairo_move_to(cr, head.x - 1.9, head.y + 1.1);
    cairo_line_to(cr, head.x + 1.9, head.y - 1.1);
    cairo_stroke(cr);
  }
}

// --- Sections ----------------------------------------------------------------

struct Section {
  const char* title;
  std::vector<Point> outline;  // clockwise from the top left corner
};

std::vector<Point> Box(double left, double top, double right, double bottom) {
  return {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
}

// The rows of controls sit at y = 22, 96, 174 and 250; each section's
// title rides on its top rule just above its row's labels.
const std::vector<Section>& Sections() {
  static const std::vector<Section> sections = {
      {"MASTER", Box(6, 78, 146, 146)},
      {"MODULATION", {{152, 78}, {300, 78}, {300, 146}, {232, 146}, {232, 220}, {152, 220}}},
      {"PULSE WIDTH", Box(306, 78, 492, 146)},
      {"PITCH", Box(498, 6, 570, 146)},
      {"OSCILLATORS", Box(576, 6, 830, 303)},
      {"FILTER", Box(838, 6, 1090, 70)},
      {"EG 1 \xc2\xb7 FILTER", Box(838, 78, 1090, 146)},
      {"WHEELS", Box(6, 156, 146, 303)},
      {"EFFECTS", Box(238, 156, 570, 220)},
      {"EG 2 \xc2\xb7 AMP", Box(838, 156, 1090, 220)},
      {"ARPEGGIATOR", Box(152, 227, 300, 303)},
      {"KEY ASSIGN", Box(306, 227, 570, 303)},
      {"NOISE & TRIGGER", Box(838, 227, 1090, 303)},
  };
  return sections;
}

struct Bounds {
  double left, top, right, bottom;
};

Bounds BoundsOf(const Section& section) {
  Bounds b{1e9, 1e9, -1e9, -1e9};
  for (const Point& p : section.outline) {
    b.left = std::min(b.left, p.x);
    b.top = std::min(b.top, p.y);
    b.right = std::max(b.right, p.x);
    b.bottom = std::max(b.bottom, p.y);
  }
  return b;
}

// The section a control sits in, or null in the lower strip.
const Section* SectionOf(const IPanelRect& area) {
  const double cx = (area.left + area.right) / 2.0, cy = (area.top + area.bottom) / 2.0;
  for (const Section& section : Sections()) {
    const Bounds b = BoundsOf(section);
    if (cx > b.left && cx < b.right && cy > b.top && cy < b.bottom) return &section;
  }
  return nullptr;
}

// Clips drawing to everything but `gaps`.
void ClipOut(cairo_t* cr, const std::vector<Bounds>& gaps) {
  cairo_rectangle(cr, 0, 0, panel::kPanelWidth, panel::kPanelHeight);
  for (const Bounds& gap : gaps) cairo_rectangle(cr, gap.left, gap.top, gap.right - gap.left, gap.bottom - gap.top);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_clip(cr);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
}

// Draws a section; its rules leave out `gaps` (where names stand on them).
void DrawSection(cairo_t* cr, const Section& section, std::vector<Bounds> gaps) {
  const Bounds b = BoundsOf(section);
  // A faint recess, then the rule, broken where the title sits on it.
  SetColour(cr, Hex(0x000000, 0.10));
  RoundedOutline(cr, section.outline, 5);
  cairo_fill(cr);

  cairo_save(cr);
  UseType(cr, type::kTitle);
  const double titleLeft = b.left + 9;
  const double titleWidth = TextWidth(cr, section.title, type::kTitle.tracking);
  const double cap = CapHeight(cr);
  gaps.push_back({titleLeft - 4, b.top - 6, titleLeft + titleWidth + 4, b.top + 6});
  ClipOut(cr, gaps);
  // The rule casts a dark line below its light one, as if engraved.
  cairo_save(cr);
  cairo_translate(cr, 0.5, 1.5);
  SetColour(cr, Hex(0x000000, 0.35));
  cairo_set_line_width(cr, 1);
  RoundedOutline(cr, section.outline, 5);
  cairo_stroke(cr);
  cairo_restore(cr);
  cairo_translate(cr, 0.5, 0.5);
  SetColour(cr, ink::kRule);
  cairo_set_line_width(cr, 1);
  RoundedOutline(cr, section.outline, 5);
  cairo_stroke(cr);
  cairo_restore(cr);

  cairo_save(cr);
  UseType(cr, type::kTitle);
  SetColour(cr, ink::kAccent);
  ShowText(cr, section.title, titleLeft, b.top + 0.5 + std::round(cap / 2), Align::kLeft, type::kTitle.tracking);
  cairo_restore(cr);
}

// --- Print ---------------------------------------------------------------------

// Labels sit above their controls, on one baseline a row.
constexpr int kLabelBaselines[] = {18, 92, 170, 244, 325};

int LabelBaseline(const IPanelRect& area) {
  int baseline = kLabelBaselines[0];
  for (int row : kLabelBaselines)
    if (row <= area.top - 3) baseline = row;
  return baseline;
}

double CentreX(const IPanelRect& area) { return (area.left + area.right) / 2.0; }
double CentreY(const IPanelRect& area) { return (area.top + area.bottom) / 2.0; }

// The largest of `type` and smaller sizes (tracking given up first) in
// which every one of `texts` fits `width`.
Type FitType(cairo_t* cr, const std::vector<std::string>& texts, Type type, double width) {
  auto fits = [&] {
    UseType(cr, type);
    for (const std::string& text : texts)
      if (TextWidth(cr, text, type.tracking) > width) return false;
    return true;
  };
  while (!fits() && type.tracking > 0) type.tracking = std::max(0.0, type.tracking - 0.1);
  while (!fits() && type.size > 5.5) type.size -= 0.25;
  return type;
}

bool HasPrintedLabel(const ControlSpec& control) {
  return *control.label && control.kind != ControlKind::kOptionMenu && control.kind != ControlKind::kTempoMenu &&
         control.kind != ControlKind::kPresetMenu;
}

// The room a control's label has on its baseline: towards each labelled
// neighbour, up to that neighbour's own label (which is given at most half
// the distance) less a gap.
double LabelRoom(cairo_t* cr, const ControlSpec& control) {
  const double cx = CentreX(control.area);
  const int baseline = LabelBaseline(control.area);
  double room = 100;
  cairo_save(cr);
  UseType(cr, type::kLabel);
  for (const ControlSpec& other : panel::kControls) {
    if (&other == &control || !HasPrintedLabel(other) || LabelBaseline(other.area) != baseline) continue;
    const double distance = std::fabs(CentreX(other.area) - cx);
    const double otherHalf = std::min(TextWidth(cr, other.label, type::kLabel.tracking), distance) / 2;
    room = std::min(room, 2 * (distance - otherHalf - 3));
  }
  cairo_restore(cr);
  return room;
}

// Prints a control's label centred above it, moved sideways if it would
// cross its section's edge. A label too long for its room at the smallest
// comfortable size is set in two lines, broken at a space or after a slash.
void DrawLabel(cairo_t* cr, const ControlSpec& control) {
  const std::string text = control.label;
  double cx = CentreX(control.area), minX = 0, maxX = panel::kPanelWidth;
  if (const Section* section = SectionOf(control.area)) {
    const Bounds b = BoundsOf(*section);
    minX = b.left + 4;
    maxX = b.right - 4;
  }
  const double room = std::min(LabelRoom(cr, control), maxX - minX);
  std::vector<std::string> lines = {text};
  Type fitted = FitType(cr, lines, type::kLabel, room);
  const std::size_t space = text.find(' '), slash = text.find('/');
  if (fitted.size < 7 && (space != std::string::npos || slash != std::string::npos)) {
    const std::size_t cut = space != std::string::npos ? space : slash + 1;
    lines = {text.substr(0, cut), text.substr(space != std::string::npos ? cut + 1 : cut)};
    // A size smaller keeps the upper line clear of the section's rule.
    Type small = type::kLabel;
    small.size -= 0.5;
    fitted = FitType(cr, lines, small, room);
  }
  cairo_save(cr);
  UseType(cr, fitted);
  SetColour(cr, ink::kLabel);
  constexpr double kLineHeight = 7;
  double baseline = LabelBaseline(control.area) - kLineHeight * (lines.size() - 1);
  for (const std::string& line : lines) {
    const double width = TextWidth(cr, line, fitted.tracking);
    const double x = std::clamp(cx - width / 2, minX, std::max(minX, maxX - width));
    ShowText(cr, line, x, baseline, Align::kLeft, fitted.tracking);
    baseline += kLineHeight;
  }
  cairo_restore(cr);
}

// Eleven marks over the knob's sweep, the ends and the centre longer, and
// the range's ends named: 0 and 10, or - and + on a knob centred on zero.
void DrawKnobScale(cairo_t* cr, const IPanelRect& area, bool bipolar) {
  const double cx = CentreX(area), cy = CentreY(area);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (int mark = 0; mark <= 10; ++mark) {
    const double degrees = -kKnobSweep / 2 + kKnobSweep * mark / 10;
    const bool major = mark == 0 || mark == 10 || mark == 5;
    const Point a = Polar(cx, cy, kKnobRadius + 1.2, degrees);
    const Point b = Polar(cx, cy, kKnobRadius + (major ? 4.0 : 2.8), degrees);
    SetColour(cr, major ? Hex(0xeee9de, 0.85) : Hex(0xeee9de, 0.55));
    cairo_set_line_width(cr, major ? 1.3 : 1.0);
    cairo_move_to(cr, a.x, a.y);
    cairo_line_to(cr, b.x, b.y);
    cairo_stroke(cr);
  }
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);

  cairo_save(cr);
  UseType(cr, type::kHint);
  SetColour(cr, ink::kLegend);
  const double cap = CapHeight(cr);
  // Just outside and below the end marks.
  const double baseline = std::round(cy + 17.5 + cap);
  ShowText(cr, bipolar ? "\xe2\x88\x92" : "0", cx - 12.5, baseline, Align::kCentre, 0);
  ShowText(cr, bipolar ? "+" : "10", cx + 13.5, baseline, Align::kCentre, 0);
  cairo_restore(cr);
}

// A waveform drawn as a legend, about 11 x 7 pixels around (cx, cy).
void DrawWaveIcon(cairo_t* cr, const std::string& wave, double cx, double cy) {
  struct Stroke {
    std::vector<Point> points;
    double alpha;
  };
  std::vector<Stroke> strokes;
  // Whole-pixel corners on a half-pixel centre keep the edges crisp.
  cx = std::floor(cx) + 0.5;
  cy = std::floor(cy) + 0.5;
  const double w = 5, h = 3;
  if (wave == "Triangle") {
    strokes.push_back({{{-w, h}, {-w / 2, -h}, {0, h}, {w / 2, -h}, {w, h}}, 1});
  } else if (wave == "Sawtooth" || wave == "Saw Up") {
    strokes.push_back({{{-w, h}, {0, -h}, {0, h}, {w, -h}, {w, h}}, 1});
  } else if (wave == "Saw Dn") {
    strokes.push_back({{{-w, -h}, {0, h}, {0, -h}, {w, h}, {w, -h}}, 1});
  } else if (wave == "Square") {
    strokes.push_back({{{-w, h}, {-w, -h}, {0, -h}, {0, h}, {w, h}, {w, -h}}, 1});
  } else if (wave == "PW") {
    strokes.push_back({{{-w, h}, {-w, -h}, {-w + 3, -h}, {-w + 3, h}, {w, h}, {w, -h}}, 1});
  } else if (wave == "PWM") {
    // A pulse whose falling edge moves: the edge drawn at two widths.
    strokes.push_back({{{-w, h}, {-w, -h}, {-1, -h}, {-1, h}, {w, h}, {w, -h}}, 1});
    strokes.push_back({{{-1, -h}, {2, -h}, {2, h}}, 0.45});
  }
  cairo_save(cr);
  cairo_set_line_width(cr, 1.0);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  for (const Stroke& stroke : strokes) {
    SetColour(cr, WithAlpha(ink::kLabel, 0.9 * stroke.alpha));
    for (std::size_t i = 0; i < stroke.points.size(); ++i) {
      const double x = cx + stroke.points[i].x, y = cy + stroke.points[i].y;
      if (i == 0) cairo_move_to(cr, x, y);
      else cairo_line_to(cr, x, y);
    }
    cairo_stroke(cr);
  }
  cairo_restore(cr);
}

bool IsWaveName(const std::string& name) {
  return name == "Triangle" || name == "Sawtooth" || name == "Saw Up" || name == "Saw Dn" || name == "Square" ||
         name == "PW" || name == "PWM";
}

// A rotary switch names its values at the angles its frames point to.
void DrawRotaryLegends(cairo_t* cr, const IPanelRect& area, const std::vector<std::string>& names) {
  const double cx = CentreX(area), cy = CentreY(area);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (std::size_t value = 0; value < names.size() && value < 4; ++value) {
    const double degrees = kRotaryAngles[value];
    const Point a = Polar(cx, cy, kKnobRadius + 1.2, degrees), b = Polar(cx, cy, kKnobRadius + 3.2, degrees);
    SetColour(cr, Hex(0xeee9de, 0.8));
    cairo_set_line_width(cr, 1.3);
    cairo_move_to(cr, a.x, a.y);
    cairo_line_to(cr, b.x, b.y);
    cairo_stroke(cr);
    const Point at = Polar(cx, cy, 25.5, degrees);
    if (IsWaveName(names[value])) {
      DrawWaveIcon(cr, names[value], at.x, at.y);
    } else {
      cairo_save(cr);
      UseType(cr, type::kLegend);
      SetColour(cr, ink::kLabel);
      ShowText(cr, names[value], at.x, at.y + CapHeight(cr) / 2, Align::kCentre, 0);
      cairo_restore(cr);
    }
  }
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

// Where a switch's legends go. Most stand to its right; the two wheel
// targets share the values, so one legend between the pair serves both;
// the arpeggiator trigger has neighbours on both sides and names its two
// positions above and below.
enum class LegendPlace { kRight, kSharedWithNext, kNone, kAboveBelow };
constexpr int kPitchBendTarget = 14, kModWheelTarget = 16, kArpTrigger = 65;

LegendPlace PlaceOf(const ControlSpec& control) {
  if (control.parameter == kPitchBendTarget) return LegendPlace::kSharedWithNext;
  if (control.parameter == kModWheelTarget) return LegendPlace::kNone;
  if (control.parameter == kArpTrigger) return LegendPlace::kAboveBelow;
  return LegendPlace::kRight;
}

// The free width to the right of a control: up to the next control level
// with it, or its section's edge.
double RoomRightOf(const ControlSpec& control) {
  double limit = panel::kPanelWidth;
  if (const Section* section = SectionOf(control.area)) limit = BoundsOf(*section).right - 3;
  for (const ControlSpec& other : panel::kControls) {
    if (other.area.left < control.area.right || other.area.bottom < control.area.top ||
        other.area.top > control.area.bottom || other.kind == ControlKind::kBlind)
      continue;
    limit = std::min(limit, other.area.left - 2.0);
  }
  return limit - (control.area.right + 3);
}

void DrawSwitchLegends(cairo_t* cr, const ControlSpec& control, const ParameterTexts& texts) {
  const LegendPlace place = PlaceOf(control);
  const std::vector<std::string> names = texts.ValueNames(control.parameter);
  if (place == LegendPlace::kNone || names.empty()) return;
  const IPanelRect& area = control.area;
  const double band = double(area.Height()) / names.size();

  cairo_save(cr);
  double left = area.right + 3, room = RoomRightOf(control);
  if (place == LegendPlace::kSharedWithNext) {
    const ControlSpec* partner = &control + 1;
    while (partner->parameter != kModWheelTarget) ++partner;
    left = area.right + 2;
    room = partner->area.left - 2 - left;
  }
  const Type fitted = FitType(cr, names, type::kLegend, place == LegendPlace::kAboveBelow ? 30 : room);
  const double tracking = fitted.tracking;
  UseType(cr, fitted);
  const double cap = CapHeight(cr);
  SetColour(cr, ink::kLegend);
  for (std::size_t value = 0; value < names.size(); ++value) {
    const double y = area.top + band * (value + 0.5);
    switch (place) {
      case LegendPlace::kRight:
        ShowText(cr, names[value], left, std::round(y + cap / 2), Align::kLeft, tracking);
        break;
      case LegendPlace::kSharedWithNext: {
        ShowText(cr, names[value], left + room / 2, std::round(y + cap / 2), Align::kCentre, tracking);
        break;
      }
      case LegendPlace::kAboveBelow: {
        const double baseline = value == 0 ? area.top - 3 : area.bottom + 3 + cap;
        ShowText(cr, names[value], CentreX(area), baseline, Align::kCentre, tracking);
        break;
      }
      case LegendPlace::kNone:
        break;
    }
  }
  cairo_restore(cr);
}

// A dark window set into the plate, for text the plug-in draws.
void DrawDisplayWindow(cairo_t* cr, double x, double y, double w, double h) {
  SetColour(cr, Hex(0xffffff, 0.10));
  RoundedRect(cr, x - 1, y - 1, w + 2, h + 2.5, 3);
  cairo_fill(cr);
  SetColour(cr, Hex(0x000000, 0.8));
  RoundedRect(cr, x - 1, y - 1, w + 2, h + 1.5, 3);
  cairo_fill(cr);
  cairo_pattern_t* glass = cairo_pattern_create_linear(x, y, x, y + h);
  AddStop(glass, 0, Hex(0x06080a));
  AddStop(glass, 0.5, Hex(0x0f1316));
  AddStop(glass, 1, Hex(0x0a0c0e));
  cairo_set_source(cr, glass);
  RoundedRect(cr, x, y, w, h, 2);
  cairo_fill(cr);
  cairo_pattern_destroy(glass);
  // A faint reflection across the upper half of the glass.
  SetColour(cr, Hex(0xffffff, 0.035));
  RoundedRect(cr, x + 1, y + 1, w - 2, h / 2 - 1, 1.5);
  cairo_fill(cr);
}

// The maker's and the instrument's names across the top left.
void DrawWordmark(cairo_t* cr) {
  cairo_save(cr);
  const double left = 18, baseline = 50;
  // The mark: an amber disc carrying a sine that turns into a ramp, the
  // instrument's wavetables in one line.
  const double markX = left + 14, markY = baseline - 12, markR = 14;
  SetColour(cr, Hex(0x000000, 0.5));
  cairo_arc(cr, markX, markY + 1.2, markR, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_t* disc = cairo_pattern_create_linear(0, markY - markR, 0, markY + markR);
  AddStop(disc, 0, Hex(0xffb45a));
  AddStop(disc, 1, Hex(0xd2611a));
  cairo_set_source(cr, disc);
  cairo_arc(cr, markX, markY, markR, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(disc);
  SetColour(cr, Hex(0x1c1d20));
  cairo_set_line_width(cr, 2.0);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  const double waveLeft = markX - 9.5, amplitude = 5;
  for (int step = 0; step <= 30; ++step) {
    const double t = step / 30.0;
    const double x = waveLeft + 10 * t;
    const double y = markY - amplitude * std::sin(t * 2 * M_PI);
    if (step == 0) cairo_move_to(cr, x, y);
    else cairo_line_to(cr, x, y);
  }
  cairo_line_to(cr, waveLeft + 19, markY - amplitude);
  cairo_line_to(cr, waveLeft + 19, markY + amplitude * 0.6);
  cairo_stroke(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);

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

const Section& OscillatorSection() {
  for (const Section& section : Sections())
    if (std::string(section.title) == "OSCILLATORS") return section;
  return Sections().front();
}

// The oscillators' lights, top to bottom: VCO 1 to 4.
std::vector<const ControlSpec*> OscillatorLights() {
  const Bounds b = BoundsOf(OscillatorSection());
  std::vector<const ControlSpec*> lights;
  for (const ControlSpec& control : panel::kControls)
    if (control.kind == ControlKind::kLight && CentreX(control.area) > b.left && CentreX(control.area) < b.right)
      lights.push_back(&control);
  std::sort(lights.begin(), lights.end(),
            [](const ControlSpec* a, const ControlSpec* b) { return a->area.top < b->area.top; });
  return lights;
}

std::string RowName(std::size_t row) { return "VCO " + std::to_string(row + 1); }
constexpr double kRowNameTracking = 1.0;

// Where a row's name and light interrupt the rule through them.
std::vector<Bounds> RowNameGaps(cairo_t* cr) {
  std::vector<Bounds> gaps;
  cairo_save(cr);
  UseType(cr, type::kTitle);
  const std::vector<const ControlSpec*> lights = OscillatorLights();
  for (std::size_t row = 0; row < lights.size(); ++row) {
    const IPanelRect& light = lights[row]->area;
    const double textLeft = light.left - 5 - TextWidth(cr, RowName(row), kRowNameTracking);
    gaps.push_back({textLeft - 5, CentreY(light) - 6, light.right + 5.0, CentreY(light) + 6});
  }
  cairo_restore(cr);
  return gaps;
}

// The oscillator rows are parted by rules through their lights; each row's
// name stands at its light. The last row's rule is the section's edge.
void DrawOscillatorRows(cairo_t* cr) {
  const Bounds b = BoundsOf(OscillatorSection());
  const std::vector<const ControlSpec*> lights = OscillatorLights();
  const std::vector<Bounds> gaps = RowNameGaps(cr);
  for (std::size_t row = 0; row < lights.size(); ++row) {
    const IPanelRect& light = lights[row]->area;
    const double y = std::floor(CentreY(light));
    cairo_save(cr);
    if (y < b.bottom - 1) {
      ClipOut(cr, gaps);
      cairo_set_line_width(cr, 1);
      SetColour(cr, Hex(0x000000, 0.3));
      cairo_move_to(cr, b.left + 1, y + 1.5);
      cairo_line_to(cr, b.right - 1, y + 1.5);
      cairo_stroke(cr);
      SetColour(cr, Hex(0xe2ddd0, 0.16));
      cairo_move_to(cr, b.left + 1, y + 0.5);
      cairo_line_to(cr, b.right - 1, y + 0.5);
      cairo_stroke(cr);
      cairo_reset_clip(cr);
    }
    UseType(cr, type::kTitle);
    SetColour(cr, ink::kAccent);
    ShowText(cr, RowName(row), light.left - 5, std::round(CentreY(light) + CapHeight(cr) / 2), Align::kRight,
             kRowNameTracking);
    cairo_restore(cr);
  }
}

// The lower strip: a darker band under a bevel, holding the tweak panel at
// both ends and the program and utility controls between the blinds.
void DrawStrip(cairo_t* cr) {
  SetColour(cr, Hex(0x000000, 0.55));
  cairo_rectangle(cr, 0, kStripTop - 1, panel::kPanelWidth, 1);
  cairo_fill(cr);
  SetColour(cr, Hex(0xffffff, 0.09));
  cairo_rectangle(cr, 0, kStripTop, panel::kPanelWidth, 1);
  cairo_fill(cr);
}

void DrawTweakTabLabel(cairo_t* cr, const IPanelRect& tab) {
  cairo_save(cr);
  UseType(cr, type::kTitle);
  SetColour(cr, ink::kAccent);
  ShowText(cr, "TWEAK", tab.right + 6, std::round(CentreY(tab) + CapHeight(cr) / 2), Align::kLeft, 1.2);
  cairo_restore(cr);
}

void DrawControlPrint(cairo_t* cr, const ControlSpec& control, const ParameterTexts& texts) {
  const IPanelRect& area = control.area;
  switch (control.kind) {
    case ControlKind::kKnob: {
      const std::vector<std::string> names = texts.ValueNames(control.parameter);
      const bool rotary = control.image == panel::kSwitchImage || control.image == panel::kSwitchWhiteImage;
      if (rotary) DrawRotaryLegends(cr, area, names);
      else DrawKnobScale(cr, area, texts.Minimum(control.parameter) < 0);
      DrawLabel(cr, control);
      break;
    }
    case ControlKind::kSwitch:
    case ControlKind::kFramesSwitch:
      DrawSwitchLegends(cr, control, texts);
      DrawLabel(cr, control);
      break;
    case ControlKind::kButtonKick:
      DrawLabel(cr, control);
      break;
    case ControlKind::kLight:
      DrawUnlitLens(cr, area.left, area.top, area.Width());
      break;
    case ControlKind::kOptionMenu:
      DrawFaceButton(cr, area.left, area.top, area.Width(), area.Height(), control.label, ink::kLabel, false,
                     ink::kAccent);
      break;
    case ControlKind::kTempoMenu:
      DrawDisplayWindow(cr, area.left, area.top, area.Width(), area.Height());
      cairo_save(cr);
      UseType(cr, type::kLabel);
      SetColour(cr, ink::kLabel);
      ShowText(cr, control.label, CentreX(area), area.bottom + 10, Align::kCentre, type::kLabel.tracking);
      cairo_restore(cr);
      break;
    case ControlKind::kPresetMenu: {
      const IPanelRect number = panel::kProgramNumberRect, name = panel::kProgramNameRect;
      DrawDisplayWindow(cr, number.left, number.top - 3, number.Width(), number.Height() + 6);
      DrawDisplayWindow(cr, name.left - 2, name.top - 3, name.Width() + 4, name.Height() + 6);
      cairo_save(cr);
      UseType(cr, type::kTitle);
      SetColour(cr, ink::kAccent);
      ShowText(cr, control.label, number.left - 18, number.top - 9, Align::kLeft, type::kTitle.tracking);
      cairo_restore(cr);
      break;
    }
    case ControlKind::kUtilityKick:
      if (control.parameter == panel::kCloseTweakPanel) DrawTweakTabLabel(cr, area);
      break;
    case ControlKind::kLearnSwitch:
    case ControlKind::kBlind:
    case ControlKind::kVersionText:
      break;
  }
}

}  // namespace

cairo_surface_t* PaintBackground(const ParameterTexts& texts, int width, int height) {
  cairo_surface_t* surface = NewSurface(width, height);
  FillPlate(surface, 0, 0);
  cairo_t* cr = cairo_create(surface);
  DrawStrip(cr);
  DrawWordmark(cr);
  const std::vector<Bounds> rowGaps = RowNameGaps(cr);
  for (const Section& section : Sections())
    DrawSection(cr, section, &section == &OscillatorSection() ? rowGaps : std::vector<Bounds>{});
  DrawOscillatorRows(cr);
  for (const ControlSpec& control : panel::kControls) DrawControlPrint(cr, control, texts);
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

cairo_surface_t* PaintRightBlind(int width, int height) { return PaintBlind(width, height, kRightBlindAt); }

}  // namespace artgen
