#include "tools/artgen/ParameterTexts.h"

#include "instrument/Kestrion.h"
#include "vst2/VstPlugin.h"

namespace artgen {

namespace {

vst::VstIntPtr QuietHost(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

const EffectParameter* Find(vst::AEffect* effect, int index) {
  Kestrion* plugin = InstrumentOf(effect);
  return plugin ? plugin->Parameter(index) : nullptr;
}

}  // namespace

ParameterTexts::ParameterTexts() : effect_(CreateKestrion(&QuietHost)) {}

ParameterTexts::~ParameterTexts() {
  if (effect_) effect_->dispatcher(effect_, vst::effClose, 0, 0, nullptr, 0);
}

std::vector<std::string> ParameterTexts::ValueNames(int index) const {
  std::vector<std::string> names;
  const EffectParameter* parameter = Find(effect_, index);
  if (!parameter) return names;
  for (const EffectParameter::ValueName& value : parameter->valueNames) {
    std::string text;
    for (const char* c = value.text; *c; ++c)
      if (!(c[0] == '\\' && c[1] == '&')) text += *c;
    names.push_back(text);
  }
  return names;
}

double ParameterTexts::DefaultNormalised(int index) const {
  const EffectParameter* parameter = Find(effect_, index);
  return parameter ? parameter->ToNormalized(parameter->defaultValue) : 0;
}

double ParameterTexts::Minimum(int index) const {
  const EffectParameter* parameter = Find(effect_, index);
  return parameter ? parameter->minimum : 0;
}

double ParameterTexts::Maximum(int index) const {
  const EffectParameter* parameter = Find(effect_, index);
  return parameter ? parameter->maximum : 1;
}

}  // namespace artgen
