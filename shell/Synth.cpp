#include "shell/Synth.h"

Synth::Synth(const IEffectIdentity& identity, vst::AudioMasterCallback host)
    : IEffectVST(identity, host) {
  for (int i = 0; i < OutputCount() && i < 2; ++i) Output(i).label = kOutputLabel;
  for (std::int32_t& parameter : controllerMap_) parameter = -1;
  // A tick of 0 samples would stall the render loop before the first reset.
  tickGrid_.length = TickLengthOf(SampleRate());
  // Before the instrument's constructor, which loads the startup bank named there.
  OpenConfiguration();
  tuning_ = std::make_unique<TuningClient>(SharedTuningLibrary());
}

Synth::~Synth() {
  if (tuning_) tuning_->Deregister();
  tuning_.reset();
}

void Synth::ResetProcessing() {
  Lock lock(Mutex());
  eventQueue_.Resize(BlockSize());
  heldKeys_.Clear();
  learn_.active = false;
  tickGrid_.remaining = 0;
  tickGrid_.length = TickLengthOf(SampleRate());
}

void Synth::ActivationChanged(bool active) {
  Lock lock(Mutex());
  if (active) NotifyAllParameters();
}
