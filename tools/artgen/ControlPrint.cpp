#include "tools/artgen/ControlPrint.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "instrument/PanelCommands.h"
#include "tools/artgen/ButtonArt.h"
#include "tools/artgen/KnobArt.h"
#include "tools/artgen/PanelSections.h"
#include "tools/artgen/ParameterTexts.h"

namespace artgen {

namespace {

using panel::ControlKind;
using panel::ControlSpec;

// Labels sit above their controls, on one baseline a row.
constexpr int kLabelBaselines[] = {18, 92, 170, 244, 325};

int LabelBaseline(const Rect& area) {
  int baseline = kLabelBaselines[0];
  for (int row : kLabelBaselines)
    if (row <= area.top - 3) baseline = row;
  return baseline;
}

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

// The labels that share one size: a section's, or those of one part of the
// lower strip (under the left blind, between the blinds, under the right).
int GroupOf(const ControlSpec& control) {
  const std::vector<Section>& sections = Sections();
  if (const Section* section = SectionOf(control.area)) return int(section - sections.data());
  int part = 0;
  for (const ControlSpec& blind : panel::kControls)
    if (blind.kind == ControlKind::kBlind && CentreX(control.area) >= blind.area.left) ++part;
  return int(sections.size()) + part;
}

// A label as it is set: its lines, their type and the band it spans.
struct SetLabel {
  std::vector<std::string> lines;
  Type type = type::kLabel;
  double left = 0, width = 0;
};

// The label's lines: one, or two when at the smallest comfortable size it
// is still wider than its share of the way to a labelled neighbour (up to
// that neighbour's label, which may take at most half the way); broken at
// a space or after a slash. Centred over the control, moved sideways if it
// would cross its section's edge.
SetLabel SetUp(cairo_t* cr, const ControlSpec& control) {
  const std::string text = control.label;
  const double cx = CentreX(control.area);
  double share = 100, minX = 0, maxX = panel::kPanelWidth;
  UseType(cr, type::kLabel);
  for (const ControlSpec& other : panel::kControls) {
    if (&other == &control || !HasPrintedLabel(other) || LabelBaseline(other.area) != LabelBaseline(control.area))
      continue;
    const double distance = std::fabs(CentreX(other.area) - cx);
    const double otherHalf = std::min(TextWidth(cr, other.label, type::kLabel.tracking), distance) / 2;
    share = std::min(share, 2 * (distance - otherHalf - 3));
  }
  if (const Section* section = SectionOf(control.area)) {
    const Bounds b = BoundsOf(*section);
    minX = b.left + 4;
    maxX = b.right - 4;
  }
  SetLabel label;
  label.lines = {text};
  label.type = FitType(cr, label.lines, type::kLabel, std::min(share, maxX - minX));
  const std::size_t space = text.find(' '), slash = text.find('/');
  if (label.type.size < 7 && (space != std::string::npos || slash != std::string::npos)) {
    const std::size_t cut = space != std::string::npos ? space : slash + 1;
    label.lines = {text.substr(0, cut), text.substr(space != std::string::npos ? cut + 1 : cut)};
    // A size smaller keeps the upper line clear of the section's rule.
    Type small = type::kLabel;
    small.size -= 0.5;
    label.type = FitType(cr, label.lines, small, maxX - minX);
  } else {
    label.type = FitType(cr, label.lines, type::kLabel, maxX - minX);
  }
  UseType(cr, label.type);
  for (const std::string& line : label.lines)
    label.width = std::max(label.width, TextWidth(cr, line, label.type.tracking));
  label.left = std::clamp(cx - label.width / 2, minX, std::max(minX, maxX - label.width));
  return label;
}

// Labels are set as a group: where one would come closer than a clear gap
// to its neighbour's, each of the two gives up half the shortfall; then the
// labels of a section (or of one part of the lower strip) share the
// smallest size among them, so a row reads evenly.
std::vector<SetLabel> SetAllLabels(cairo_t* cr) {
  constexpr double kGap = 6;
  const int count = panel::kControlCount;
  std::vector<SetLabel> labels(count);
  for (int i = 0; i < count; ++i)
    if (HasPrintedLabel(panel::kControls[i])) labels[i] = SetUp(cr, panel::kControls[i]);
  std::vector<Type> types(count);
  for (int i = 0; i < count; ++i) {
    const ControlSpec& control = panel::kControls[i];
    types[i] = labels[i].type;
    if (!HasPrintedLabel(control)) continue;
    double width = labels[i].width;
    for (int j = 0; j < count; ++j) {
      const ControlSpec& other = panel::kControls[j];
      if (j == i || !HasPrintedLabel(other) || LabelBaseline(other.area) != LabelBaseline(control.area)) continue;
      const double gap = labels[j].left > labels[i].left ? labels[j].left - (labels[i].left + labels[i].width)
                                                         : labels[i].left - (labels[j].left + labels[j].width);
      if (gap < kGap) width = std::min(width, labels[i].width - (kGap - gap));
    }
    if (width < labels[i].width) types[i] = FitType(cr, labels[i].lines, labels[i].type, width);
  }
  for (int i = 0; i < count; ++i) {
    for (int j = 0; j < count; ++j) {
      if (!HasPrintedLabel(panel::kControls[j]) || GroupOf(panel::kControls[j]) != GroupOf(panel::kControls[i]))
        continue;
      if (types[j].size < labels[i].type.size) labels[i].type.size = types[j].size;
      labels[i].type.tracking = std::min(labels[i].type.tracking, types[j].tracking);
    }
  }
  return labels;
}

// Labels sit above their controls, centred on where they were set.
void DrawLabel(cairo_t* cr, const ControlSpec& control, const SetLabel& label) {
  cairo_save(cr);
  UseType(cr, label.type);
  SetColour(cr, ink::kLabel);
  constexpr double kLineHeight = 7;
  const double centre = label.left + label.width / 2;
  double baseline = LabelBaseline(control.area) - kLineHeight * (label.lines.size() - 1);
  for (const std::string& line : label.lines) {
    ShowText(cr, line, centre, baseline, Align::kCentre, label.type.tracking);
    baseline += kLineHeight;
  }
  cairo_restore(cr);
}

// Eleven marks over the knob's sweep, the ends and the centre longer, and
// the range's ends named: 0 and 10, or - and + on a knob centred on zero.
void DrawKnobScale(cairo_t* cr, const Rect& area, bool bipolar) {
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
  ShowText(cr, bipolar ? "\xe2\x88\x92" : "0", cx - 13.5, baseline, Align::kCentre, 0);
  ShowText(cr, bipolar ? "+" : "10", cx + 14.5, baseline, Align::kCentre, 0);
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
      if (i == 0)
        cairo_move_to(cr, x, y);
      else
        cairo_line_to(cr, x, y);
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
void DrawRotaryLegends(cairo_t* cr, const Rect& area, const std::vector<std::string>& names) {
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
  const Rect& area = control.area;
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
      case LegendPlace::kNone: break;
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
  RoundedRect(cr, x, y, w, h, 2);
  FillWith(cr, glass);
  // A faint reflection across the upper half of the glass.
  SetColour(cr, Hex(0xffffff, 0.035));
  RoundedRect(cr, x + 1, y + 1, w - 2, h / 2 - 1, 1.5);
  cairo_fill(cr);
}

// The instrument's mark: an amber disc carrying a sine that turns into a
// ramp, its wavetables in one line.

}  // namespace

void DrawTweakTabLabel(cairo_t* cr, const Rect& tab) {
  cairo_save(cr);
  UseType(cr, type::kTitle);
  SetColour(cr, ink::kAccent);
  ShowText(cr, "TWEAK", tab.right + 6, std::round(CentreY(tab) + CapHeight(cr) / 2), Align::kLeft, 1.2);
  cairo_restore(cr);
}

void DrawLabels(cairo_t* cr) {
  const std::vector<SetLabel> labels = SetAllLabels(cr);
  for (int i = 0; i < panel::kControlCount; ++i)
    if (HasPrintedLabel(panel::kControls[i])) DrawLabel(cr, panel::kControls[i], labels[i]);
}

void DrawControlPrint(cairo_t* cr, const ControlSpec& control, const ParameterTexts& texts) {
  const Rect& area = control.area;
  switch (control.kind) {
    case ControlKind::kKnob: {
      const std::vector<std::string> names = texts.ValueNames(control.parameter);
      const bool rotary = control.image == panel::kSwitchImage || control.image == panel::kSwitchWhiteImage;
      if (rotary)
        DrawRotaryLegends(cr, area, names);
      else
        DrawKnobScale(cr, area, texts.Minimum(control.parameter) < 0);
      break;
    }
    case ControlKind::kSwitch:
    case ControlKind::kFramesSwitch: DrawSwitchLegends(cr, control, texts); break;
    case ControlKind::kLight: DrawUnlitLens(cr, area.left, area.top, area.Width()); break;
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
      const Rect number = panel::kProgramNumberRect, name = panel::kProgramNameRect;
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
    case ControlKind::kButtonKick:
    case ControlKind::kLearnSwitch:
    case ControlKind::kBlind:
    case ControlKind::kVersionText: break;
  }
}

}  // namespace artgen
