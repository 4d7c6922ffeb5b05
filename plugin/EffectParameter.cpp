#include "plugin/EffectParameter.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "plugin/NumberText.h"

namespace {
constexpr int kMaxPrecision = 6;

// Values are truncated toward zero before naming them; a value outside the
// int range names nothing.
bool TruncateToInt(double v, int* out) {
  if (!(v > static_cast<double>(INT_MIN) - 1.0 && v < static_cast<double>(INT_MAX) + 1.0)) return false;
  *out = static_cast<int>(v);
  return true;
}
}  // namespace

void EffectParameter::DefineContinuous(const char* newName, double newDefault, double newMinimum, double newMaximum,
                                       double newStep, double newShape) {
  if (kind == kUnset) kind = kContinuous;
  CopyText(name, newName);
  label[0] = 0;
  minimum = newMinimum;
  step = newStep;
  defaultValue = newDefault;
  value = newDefault;
  maximum = std::max(newMaximum, newMinimum + newStep);
  displayPrecision = 0;
  for (double d = newStep; d != std::floor(d) && displayPrecision < kMaxPrecision; d *= 10) ++displayPrecision;
  if (newShape != 0) shape = newShape;
}

void EffectParameter::DefineEnumeration(const char* newName, int defaultIndex, int count, const char* const* names) {
  if (kind == kUnset) kind = kEnumeration;
  DefineContinuous(newName, defaultIndex, 0, count - 1, 1, 1.0);
  for (int i = 0; i < count; ++i) {
    ValueName entry{i, {}};
    CopyText(entry.text, names[i]);
    valueNames.push_back(entry);
  }
}

double EffectParameter::FromNormalizedRaw(double x) const { return std::pow(x, shape) * (maximum - minimum) + minimum; }

double EffectParameter::SetFromNormalized(double x) {
  // Below 0 (or NaN) would give NaN through a fractional shape.
  if (!(x > 0)) x = 0;
  double v = FromNormalizedRaw(x);
  if (kind != kContinuous) v = std::floor(v / step + 0.5) * step;
  value = std::min(v, maximum);
  return value;
}

double EffectParameter::Clamp(double v) const {
  if (v < minimum) return minimum;
  return std::min(v, maximum);
}

double EffectParameter::ToNormalized(double v) const {
  return std::pow((Clamp(v) - minimum) / (maximum - minimum), 1.0 / shape);
}

const EffectParameter::ValueName* EffectParameter::NameFor(double v) const {
  int key;
  if (!TruncateToInt(v, &key)) return nullptr;
  for (const ValueName& entry : valueNames)
    if (entry.value == key) return &entry;
  return nullptr;
}

void EffectParameter::FormatValue(double v, bool normalised, char* out, bool useValueNames) const {
  if (normalised) v = FromNormalizedRaw(v);
  if (useValueNames) {
    const ValueName* entry = NameFor(v);
    if (entry && entry->text[0]) {
      CopyText(out, entry->text, kNameLength);
      return;
    }
  }
  if (displayPrecision == 0) {
    int whole;
    // NaN or out-of-range values print as 0 rather than as undefined casts.
    std::snprintf(out, kNameLength, "%d", TruncateToInt(v, &whole) ? whole : 0);
  } else {
    FormatFixed(v, displayPrecision, out, kNameLength);
  }
}

const char* EffectParameter::DisplayLabel() const {
  const ValueName* entry = HasValueNames() ? NameFor(value) : nullptr;
  if (entry && entry->text[0]) return "";
  return label;
}

bool EffectParameter::FindValueName(const char* text, int* valueOut) const {
  for (const ValueName& entry : valueNames) {
    if (std::strcmp(entry.text, text) == 0) {
      *valueOut = entry.value;
      return true;
    }
  }
  return false;
}
