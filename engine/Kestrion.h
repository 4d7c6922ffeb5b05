// The instrument: its parameters, its program record and its sound.
#pragma once

#include "shell/Synth.h"

class Kestrion : public Synth {
 public:
  static constexpr int kParameterCount = 70;
  static constexpr int kPresetCount = 64;
  static const IEffectIdentity kIdentity;

  explicit Kestrion(vst::AudioMasterCallback host);

  void DefineParameters() override;
  void ParameterChanged(int index) override;
  void RenderBlock(double** inputs, double** outputs, int frames) override;
  bool SerializeCurrentState(IStateBuffer& buffer) override;
  int UnserializeState(const IStateBuffer& buffer, int position) override;
  int MeasureState(const IStateBuffer& buffer, int position) const override;
};
