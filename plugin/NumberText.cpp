#include "plugin/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "plugin/Text.h"

void FormatFixed(double v, int decimals, char* out, std::size_t capacity) {
  if (!out || capacity == 0) return;
  char text[512];
  if (decimals < 0) decimals = 0;
  if (decimals > 30) decimals = 30;
  // Values past 1e300 with 30 decimals still fit; NaN and infinities too.
  const std::to_chars_result result =
      std::to_chars(text, text + sizeof text - 1, v, std::chars_format::fixed, decimals);
  *(result.ec == std::errc() ? result.ptr : text) = 0;
  CopyText(out, text, capacity);
}

double ParseLeadingNumber(const char* text, bool* found) {
  if (found) *found = false;
  if (!text) return 0;
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  double value = 0;
  const char* end = text + std::strlen(text);
  // A second sign ("+-3") is no number; from_chars would take the "-".
  if (*text == '+' || *text == '-') return 0;
  const std::from_chars_result result = std::from_chars(text, end, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: as the C library reads it.
    const char* exponent = std::strpbrk(text, "eE");
    const bool tiny = exponent && exponent < result.ptr && exponent[1] == '-';
    value = tiny ? 0.0 : HUGE_VAL;
  } else if (result.ec != std::errc()) {
    return 0;
  }
  if (found) *found = true;
  return negative ? -value : value;
}
