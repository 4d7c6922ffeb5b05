// The maker's layer between the host wrapper and the instrument.
#pragma once

#include "host/EffectVST.h"

class Synth : public IEffectVST {
 public:
  Synth(const IEffectIdentity& identity, vst::AudioMasterCallback host);

  virtual void AllNotesOff() {}
  virtual void DefineParameters() {}

  static constexpr const char* kOutputLabel = "Kestrion ";
};
