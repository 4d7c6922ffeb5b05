#include "X11Scale.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "ui/PanelZoom.h"

namespace x11 {

namespace {

// The resolution the desktops count as 100 %.
constexpr double kBaseDpi = 96.0;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The positive number that is the whole text, or 0. Read with a decimal
// point whatever the host's locale says.
double PositiveNumberOf(std::string_view text) {
  text = Trimmed(text);
  double value = 0.0;
  const std::from_chars_result result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) return 0.0;
  return value > 0.0 && std::isfinite(value) ? value : 0.0;
}

double VariableNumber(const char* name) {
  const char* value = std::getenv(name);
  return value ? PositiveNumberOf(value) : 0.0;
}

// The toolkits' variables as a factor, or 0 when none is usable.
double ToolkitScale() {
  const double gdkScale = VariableNumber("GDK_SCALE");
  if (gdkScale >= 1.0 && gdkScale == std::floor(gdkScale)) {
    const double dpiScale = VariableNumber("GDK_DPI_SCALE");
    return dpiScale > 0.0 ? gdkScale * dpiScale : gdkScale;
  }
  return VariableNumber("QT_SCALE_FACTOR");
}

}  // namespace

double XftDpiOf(const char* resources) {
  if (!resources) return 0.0;
  double dpi = 0.0;
  std::string_view rest(resources);
  while (!rest.empty()) {
    const std::size_t newline = rest.find('\n');
    const std::string_view line = rest.substr(0, newline);
    rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || Trimmed(line.substr(0, colon)) != "Xft.dpi") continue;
    // The last line wins, as in the resource database.
    dpi = PositiveNumberOf(line.substr(colon + 1));
  }
  return dpi;
}

double DisplayDpi(Display* display) { return display ? XftDpiOf(XResourceManagerString(display)) : 0.0; }

int SystemZoomFrom(double displayDpi) {
  const double toolkit = ToolkitScale();
  if (toolkit > 0.0) return NearestZoom(toolkit);
  return displayDpi > 0.0 ? NearestZoom(displayDpi / kBaseDpi) : kDefaultZoom;
}

int X11SystemZoom(Display* display) { return SystemZoomFrom(DisplayDpi(display)); }

}  // namespace x11
