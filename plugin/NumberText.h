// Numbers as text, always with a decimal point: hosts often set a locale
// whose decimal separator is a comma, and the plug-in's displays and text
// entry must not change with it.
#pragma once

#include <cstddef>

// `v` with `decimals` digits after the point, cut to `capacity` bytes.
void FormatFixed(double v, int decimals, char* out, std::size_t capacity);

// The decimal number the text starts with (blanks, optional sign, digits,
// point, exponent), or 0 when it starts with none; `found` (when given)
// says which.
double ParseLeadingNumber(const char* text, bool* found = nullptr);
