// One automatable parameter: its value in real units, its range and curve,
// and the texts the host and the editor show for it.
#pragma once

#include <vector>

#include "plugin/AtomicDouble.h"
#include "plugin/Text.h"

class EffectParameter {
 public:
  enum Kind { kUnset = 0, kInteger = 2, kEnumeration = 3, kContinuous = 4 };

  struct ValueName {
    int value;
    char text[kNameLength];
  };

  void DefineContinuous(const char* name, double defaultValue, double minimum, double maximum, double step,
                        double shape);
  void DefineEnumeration(const char* name, int defaultIndex, int count, const char* const* names);

  double SetFromNormalized(double x);
  double ToNormalized() const { return ToNormalized(value); }
  double ToNormalized(double v) const;
  // Real units of a normalised x, without step rounding or clamping.
  double FromNormalizedRaw(double x) const;

  // The display text of v; `out` holds at least kNameLength bytes.
  void FormatValue(double v, bool normalised, char* out, bool useValueNames) const;
  const char* DisplayLabel() const;
  // The value of the first name equal to `text`; false when none is.
  bool FindValueName(const char* text, int* valueOut) const;
  bool HasValueNames() const { return !valueNames.empty(); }
  double Clamp(double v) const;

  Kind kind = kUnset;
  AtomicDouble value = 0;  // any thread
  double minimum = 0;
  double maximum = 1.0;
  double step = 1.0;
  double shape = 1.0;
  double defaultValue = 0;
  int displayPrecision = 0;
  char name[kNameLength] = {};
  char label[kNameLength] = {};
  std::vector<ValueName> valueNames;

 private:
  const ValueName* NameFor(double v) const;
};
