#include "tools/bankbuild/BankSource.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "plugin/EffectBase.h"

namespace bankbuild {

namespace {

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string At(int line, const std::string& why) { return "line " + std::to_string(line) + ": " + why; }

int FindParameter(EffectBase& plugin, const std::string& name) {
  for (int i = 0; i < plugin.ParameterCount(); ++i)
    if (name == plugin.Parameter(i)->name) return i;
  return -1;
}

// A value name of the parameter, or a finite number inside its range.
bool ParseValue(const EffectParameter& parameter, const std::string& text, double& value) {
  int named = 0;
  if (parameter.HasValueNames()) {
    if (!parameter.FindValueName(text.c_str(), &named)) return false;
    value = named;
    return true;
  }
  char* end = nullptr;
  errno = 0;
  const double number = std::strtod(text.c_str(), &end);
  if (errno || end == text.c_str() || *end || !std::isfinite(number)) return false;
  if (number < parameter.minimum || number > parameter.maximum) return false;
  value = number;
  return true;
}

}  // namespace

std::string ParseBankSource(const std::string& text, std::vector<ProgramSource>& programs) {
  programs.clear();
  int lineNumber = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    ++lineNumber;
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      if (line.back() != ']' || line.size() < 3) return At(lineNumber, "a program name needs [ and ]");
      ProgramSource program;
      program.line = lineNumber;
      program.name = Trim(line.substr(1, line.size() - 2));
      if (program.name.size() > 27) return At(lineNumber, "program names have at most 27 characters");
      programs.push_back(program);
      continue;
    }
    if (programs.empty()) return At(lineNumber, "a setting before the first program");
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) return At(lineNumber, "expected 'Parameter = value'");
    programs.back().settings.push_back({lineNumber, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))});
  }
  return "";
}

std::string ApplyBankSource(EffectBase& plugin, const std::vector<ProgramSource>& programs) {
  if (static_cast<int>(programs.size()) != plugin.PresetCount())
    return "the bank needs " + std::to_string(plugin.PresetCount()) + " programs, the source has " +
           std::to_string(programs.size());
  EffectBase::Lock lock(plugin);
  for (int slot = 0; slot < plugin.PresetCount(); ++slot) {
    const ProgramSource& program = programs[static_cast<std::size_t>(slot)];
    if (!plugin.ActivatePreset(slot)) return At(program.line, "the slot cannot be selected");
    for (int i = 0; i < plugin.ParameterCount(); ++i) {
      plugin.Parameter(i)->value = plugin.Parameter(i)->defaultValue;
      plugin.ParameterChanged(i);
    }
    for (const Setting& setting : program.settings) {
      const int index = FindParameter(plugin, setting.parameter);
      if (index < 0) return At(setting.line, "no parameter is called '" + setting.parameter + "'");
      double value = 0;
      if (!ParseValue(*plugin.Parameter(index), setting.value, value))
        return At(setting.line, "'" + setting.value + "' is not a value of " + setting.parameter);
      plugin.Parameter(index)->value = value;
      plugin.ParameterChanged(index);
    }
    plugin.ModifyCurrentPreset(program.name.c_str());
  }
  plugin.ActivatePreset(0);
  return "";
}

}  // namespace bankbuild
