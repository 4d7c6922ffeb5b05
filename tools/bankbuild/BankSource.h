// The readable source of a bank: programs in brackets, then "Parameter =
// value" lines, where the value is a value name or a number in the
// parameter's own units. Applied through the plug-in's own parameters and
// program slots, so the built bank holds exactly what the plug-in would store.
#pragma once

#include <string>
#include <vector>

class EffectBase;

namespace bankbuild {

struct Setting {
  int line = 0;
  std::string parameter, value;
};

struct ProgramSource {
  int line = 0;
  std::string name;
  std::vector<Setting> settings;
};

// Splits the text into programs; returns an empty text or "line N: why".
std::string ParseBankSource(const std::string& text, std::vector<ProgramSource>& programs);

// Fills slot i with program i: every parameter at its default, then the
// program's settings, stored under its name. Needs exactly as many programs
// as the plug-in has slots. Returns an empty text or "line N: why".
std::string ApplyBankSource(EffectBase& plugin, const std::vector<ProgramSource>& programs);

}  // namespace bankbuild
