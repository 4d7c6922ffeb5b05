#include "instrument/Synth.h"

using namespace dsp;

Synth::Synth(const EffectIdentity& identity, HostLink& host) : EffectBase(identity), host_(host) {
  for (std::atomic<std::int32_t>& parameter : controllerMap_) parameter.store(-1, std::memory_order_relaxed);
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
  EngineHold hold(*this);
  heldKeys_.Clear();
  learnMode_.store(kLearnOff, std::memory_order_release);
  tickGrid_.remaining = 0;
  tickGrid_.length = TickLengthOf(SampleRate());
}

void Synth::SetParameterFromEditor(int index, double normalised) {
  EffectBase::SetParameterFromEditor(index, normalised);
  CaptureLearnParameter(index);
}

void Synth::SetParameterFromEngine(int index, double normalised) {
  EffectParameter* parameter = Parameter(index);
  if (parameter == nullptr) return;
  const double value = parameter->SetFromNormalized(normalised);
  NoteSetByEngine(index);
  NotifyHostOfParameter(index, normalised);
  ApplyParameterToEngine(index, value);
}

// -- the process call ---------------------------------------------------------

bool Synth::BeginProcess() {
  host_.ReadTransport(timeInfo_);
  if (!TryHoldEngine()) return false;
  SetProcessing(true);
  TakeMidi();
  ApplyChangedParameters();
  return true;
}

void Synth::EndProcess() {
  PublishAfterBlock();
  // MIDI Thru is sent with no lock held: the messages move out of the
  // engine's side first.
  thruSending_.count = 0;
  ForwardHeld(thruQueue_, [this](const MidiEvent& event) { thruSending_.pending[thruSending_.count++] = event; });
  ReleaseEngine();
  ForwardHeld(thruSending_, [this](const MidiEvent& event) { host_.SendMidi(event); });
}

// -- the host, through the format's adapter --------------------------------

void Synth::SendToHost(const HostCall& call) {
  switch (call.kind) {
    case HostCallKind::kBeginEdit: host_.BeginEdit(call.index); break;
    case HostCallKind::kPerformEdit: host_.PerformEdit(call.index, call.value); break;
    case HostCallKind::kEndEdit: host_.EndEdit(call.index); break;
    case HostCallKind::kProgramListChanged: host_.ProgramListChanged(); break;
  }
}
