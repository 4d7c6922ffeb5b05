// The parameters' value names and defaults as the plug-in itself defines
// them, read from an instance: the switch legends on the panel and the
// parameters can then never disagree.
#pragma once

#include <string>
#include <vector>

namespace vst {
struct AEffect;
}

namespace artgen {

class ParameterTexts {
 public:
  ParameterTexts();
  ~ParameterTexts();
  ParameterTexts(const ParameterTexts&) = delete;
  ParameterTexts& operator=(const ParameterTexts&) = delete;

  bool Valid() const { return effect_ != nullptr; }
  // The names of the values of parameter `index`, in value order; empty for
  // a parameter without names. Menu escapes ("\&") are taken out.
  std::vector<std::string> ValueNames(int index) const;
  // The parameter's default, normalised.
  double DefaultNormalised(int index) const;
  // The parameter's value range.
  double Minimum(int index) const;
  double Maximum(int index) const;

 private:
  vst::AEffect* effect_ = nullptr;
};

}  // namespace artgen
