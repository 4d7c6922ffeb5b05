#include "tools/lv2ttl/BundleDescription.h"

#include "instrument/Kestrion.h"

namespace lv2ttl {

namespace {

// The value a port takes for the parameter's value `v`.
double PortValue(const EffectParameter& parameter, double v) {
  return parameter.kind == EffectParameter::kContinuous ? parameter.ToNormalized(v) : v;
}

ControlPort PortOf(const EffectParameter& parameter, std::set<std::string>& taken) {
  ControlPort port;
  port.name = parameter.name;
  port.symbol = PortSymbol(parameter.name, taken);
  port.stepped = parameter.kind != EffectParameter::kContinuous;
  port.minimum = port.stepped ? parameter.minimum : 0;
  port.maximum = port.stepped ? parameter.maximum : 1;
  // A new instance holds the first program: its value is the port's default.
  port.defaultValue = PortValue(parameter, parameter.value);
  if (port.stepped)
    for (const EffectParameter::ValueName& entry : parameter.valueNames)
      port.scalePoints.push_back({entry.value, entry.text});
  return port;
}

}  // namespace

std::string PortSymbol(const char* name, std::set<std::string>& taken) {
  std::string symbol;
  bool gap = false;
  for (const char* c = name; *c; ++c) {
    char letter = *c >= 'A' && *c <= 'Z' ? static_cast<char>(*c - 'A' + 'a') : *c;
    if ((letter >= 'a' && letter <= 'z') || (letter >= '0' && letter <= '9')) {
      if (gap && !symbol.empty()) symbol += '_';
      symbol += letter;
      gap = false;
    } else {
      gap = true;
    }
  }
  if (symbol.empty()) symbol = "p";
  if (symbol[0] >= '0' && symbol[0] <= '9') symbol = "p_" + symbol;
  std::string unique = symbol;
  for (int n = 2; !taken.insert(unique).second; ++n) unique = symbol + "_" + std::to_string(n);
  return unique;
}

bool Describe(Kestrion& instrument, BundleDescription& description) {
  description.pluginName = instrument.EffectName();
  description.makerName = instrument.MakerName();
  std::set<std::string> taken(std::begin(kFixedPortSymbols), std::end(kFixedPortSymbols));
  if (!instrument.ActivatePreset(0)) return false;
  for (int i = 0; i < instrument.ParameterCount(); ++i)
    description.controls.push_back(PortOf(*instrument.Parameter(i), taken));

  EffectBase::Lock lock(instrument);
  for (int program = 0; program < instrument.PresetCount(); ++program) {
    if (!instrument.ActivatePreset(program)) return false;
    Program entry;
    entry.name = instrument.PresetName(program);
    for (int i = 0; i < instrument.ParameterCount(); ++i) {
      const EffectParameter& parameter = *instrument.Parameter(i);
      entry.values.push_back(PortValue(parameter, parameter.value));
    }
    description.programs.push_back(entry);
  }
  return true;
}

}  // namespace lv2ttl
