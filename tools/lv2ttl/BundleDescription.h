// What the LV2 bundle says of the instrument, read from an instance of it:
// the control ports in parameter order, with their symbols, ranges and value
// names, and the programs a new instance holds, each as the ports' values.
#pragma once

#include <set>
#include <string>
#include <vector>

class Kestrion;

namespace lv2ttl {

// The ports ahead of the controls, by index: the event input, MIDI Thru and
// the two audio outputs. The controls start after them.
constexpr const char* kFixedPortSymbols[] = {"control", "midi_thru", "out_left", "out_right"};
constexpr int kFirstControlPort = 4;

struct ScalePoint {
  int value;
  std::string label;
};

// A continuous parameter's port is normalised 0–1, as VST 2.4 automation
// and the CLAP plug-in give it; a stepped one takes the parameter's own
// whole values.
struct ControlPort {
  std::string name;
  std::string symbol;
  double minimum;
  double maximum;
  double defaultValue;
  bool stepped;
  std::vector<ScalePoint> scalePoints;
};

struct Program {
  std::string name;
  std::vector<double> values;  // one a control port, as the port takes it
};

struct BundleDescription {
  std::string pluginName;
  std::string makerName;
  std::vector<ControlPort> controls;
  std::vector<Program> programs;
};

// A parameter name as a port symbol: lower case, each run of characters
// other than a–z and 0–9 one `_`, none at either end, `p_` ahead of a
// leading digit (`p` for none); `_2`, `_3`... after a symbol in `taken`,
// which it joins.
std::string PortSymbol(const char* name, std::set<std::string>& taken);

// Fills `description` from `instrument`, selecting each of its programs in
// turn to read its values; false when a program cannot be selected.
bool Describe(Kestrion& instrument, BundleDescription& description);

}  // namespace lv2ttl
