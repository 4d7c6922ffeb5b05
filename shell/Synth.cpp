#include "shell/Synth.h"

Synth::Synth(const IEffectIdentity& identity, vst::AudioMasterCallback host)
    : IEffectVST(identity, host) {
  for (int i = 0; i < OutputCount() && i < 2; ++i) Output(i).label = kOutputLabel;
  for (std::int32_t& parameter : controllerMap_) parameter = -1;
  // A tick of 0 samples would stall the render loop before the first reset.
  tickGrid_.length = TickLengthOf(SampleRate());
}

void Synth::ResetProcessing() {
  Lock lock(Mutex());
  eventQueue_.Resize(BlockSize());
  heldKeys_.Clear();
  learnActive_ = false;
  tickGrid_.remaining = 0;
  tickGrid_.length = TickLengthOf(SampleRate());
}

void Synth::ParameterChanged(int index) { Lock lock(Mutex()); }

void Synth::ActivationChanged(bool active) {
  Lock lock(Mutex());
  if (active) NotifyAllParameters();
}

int Synth::LearnedParameter(int controller) const {
  if (controller < 0 || controller >= kLearnableControllers) return -1;
  return controllerMap_[controller];
}
