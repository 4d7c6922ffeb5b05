#include "instrument/Synth.h"

Synth::Synth(const IEffectIdentity& identity, HostLink& host) : IEffectBase(identity), host_(host) {
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

// -- the host, through the format's adapter --------------------------------

void Synth::BeginParameterEdit(int index) { host_.BeginEdit(index); }

void Synth::NotifyHostOfParameter(int index, double normalised) { host_.PerformEdit(index, normalised); }

void Synth::EndParameterEdit(int index) { host_.EndEdit(index); }

void Synth::RequestHostDisplayUpdate() { host_.ProgramListChanged(); }

void Synth::GetHostTimeInfo(IHostTimeInfo* info) { host_.ReadTransport(*info); }

bool Synth::SendMidiEvent(const IMidiEvent* event) { return host_.SendMidi(*event); }
