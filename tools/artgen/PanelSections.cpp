#include "tools/artgen/PanelSections.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "instrument/panel/PanelLayout.h"

namespace artgen {

namespace {

using panel::ControlKind;
using panel::ControlSpec;

std::vector<Point> Box(double left, double top, double right, double bottom) {
  return {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
}

}  // namespace

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

const Section* SectionOf(const Rect& area) {
  const double cx = (area.left + area.right) / 2.0, cy = (area.top + area.bottom) / 2.0;
  for (const Section& section : Sections()) {
    const Bounds b = BoundsOf(section);
    if (cx > b.left && cx < b.right && cy > b.top && cy < b.bottom) return &section;
  }
  return nullptr;
}

namespace {

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
    const Rect& light = lights[row]->area;
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
    const Rect& light = lights[row]->area;
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

}  // namespace

void DrawSections(cairo_t* cr) {
  const std::vector<Bounds> rowGaps = RowNameGaps(cr);
  for (const Section& section : Sections())
    DrawSection(cr, section, &section == &OscillatorSection() ? rowGaps : std::vector<Bounds>{});
  DrawOscillatorRows(cr);
}

}  // namespace artgen
