#include "shell/Synth.h"

Synth::Synth(const IEffectIdentity& identity, vst::AudioMasterCallback host)
    : IEffectVST(identity, host) {
  for (int i = 0; i < OutputCount() && i < 2; ++i) Output(i).label = kOutputLabel;
}
