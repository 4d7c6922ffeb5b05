// The object around a new instrument: its interfaces, its lifecycle, its
// buses and the requests the instrument sends to the host. Parameters,
// programs, state, the audio path and the view have their own files.
#include "vst3/Vst3Plugin.h"

#include <cstring>
#include <mutex>

#include "vst3/Vst3Text.h"
#include "vst3/Vst3View.h"

using namespace vst3;

Vst3Plugin::Vst3Plugin(EditorFactory makeEditor) : makeEditor_(makeEditor), stateBuffer_(StateBuffer::kGranularity) {
  for (std::atomic<float>& value : midiValues_) value.store(0, std::memory_order_relaxed);
  midiValues_[kPitchBend].store(0.5f, std::memory_order_relaxed);
  instrument_ = std::make_unique<Kestrion>(*this);
  instrument_->FillEmptyPresets(instrument_->PresetCount());
}

// The mutex belongs to the instrument: it must be free before it goes.
Vst3Plugin::~Vst3Plugin() {
  { EffectBase::Lock lock(*instrument_); }
  instrument_.reset();
}

// -- FUnknown ------------------------------------------------------------------------

tresult Vst3Plugin::queryInterface(const TUID iid, void** object) {
  if (!object) return kInvalidArgument;
  void* found = nullptr;
  if (SameUid(iid, FUnknown::iid) || SameUid(iid, IPluginBase::iid) || SameUid(iid, IComponent::iid))
    found = static_cast<IComponent*>(this);
  else if (SameUid(iid, IAudioProcessor::iid))
    found = static_cast<IAudioProcessor*>(this);
  else if (SameUid(iid, IProcessContextRequirements::iid))
    found = static_cast<IProcessContextRequirements*>(this);
  else if (SameUid(iid, IEditController::iid))
    found = static_cast<IEditController*>(this);
  else if (SameUid(iid, IUnitInfo::iid))
    found = static_cast<IUnitInfo*>(this);
  else if (SameUid(iid, IMidiMapping::iid))
    found = static_cast<IMidiMapping*>(this);
  *object = found;
  if (!found) return kNoInterface;
  addRef();
  return kResultOk;
}

uint32 Vst3Plugin::addRef() { return references_.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32 Vst3Plugin::release() {
  const uint32 left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) delete this;
  return left;
}

// -- lifecycle --------------------------------------------------------------------------

// Called once as the component and once as the controller: each call only
// takes what it finds.
tresult Vst3Plugin::initialize(FUnknown* /*context*/) { return kResultOk; }

tresult Vst3Plugin::terminate() {
  setComponentHandler(nullptr);
  return kResultOk;
}

// One object is both: the host finds the controller by asking the component.
tresult Vst3Plugin::getControllerClassId(TUID /*classId*/) { return kNotImplemented; }

tresult Vst3Plugin::setIoMode(IoMode /*mode*/) { return kResultOk; }

// -- buses: notes in, MIDI Thru out, one stereo output ------------------------------------

int32 Vst3Plugin::getBusCount(MediaType type, BusDirection direction) {
  if (type == kAudio) return direction == kOutput ? 1 : 0;
  if (type == kEvent) return 1;
  return 0;
}

tresult Vst3Plugin::getBusInfo(MediaType type, BusDirection direction, int32 index, BusInfo& bus) {
  if (index != 0 || getBusCount(type, direction) == 0) return kInvalidArgument;
  bus = {};
  bus.mediaType = type;
  bus.direction = direction;
  bus.busType = kMain;
  bus.flags = BusInfo::kDefaultActive;
  if (type == kAudio) {
    bus.channelCount = 2;
    CopyText(bus.name, "Output");
  } else {
    bus.channelCount = 16;
    CopyText(bus.name, direction == kInput ? "MIDI In" : "MIDI Thru");
  }
  return kResultOk;
}

tresult Vst3Plugin::getRoutingInfo(RoutingInfo& /*in*/, RoutingInfo& /*out*/) { return kNotImplemented; }

tresult Vst3Plugin::activateBus(MediaType type, BusDirection direction, int32 index, TBool /*state*/) {
  return index == 0 && getBusCount(type, direction) > 0 ? kResultOk : kInvalidArgument;
}

tresult Vst3Plugin::setActive(TBool state) {
  Kestrion& instrument = *instrument_;
  if (state && !active_) {
    const int frames = maxFrames_ > 0 ? maxFrames_ : 1024;
    try {
      for (std::vector<double>& channel : scratch_) channel.assign(static_cast<std::size_t>(frames), 0.0);
    } catch (...) {
      return kOutOfMemory;
    }
    EffectBase::Lock lock(instrument);
    instrument.ChangeSampleRate(sampleRate_);
    instrument.ChangeBlockSize(frames);
    instrument.ResetProcessing();
    instrument.ActivationChanged(true);
    maxFrames_ = frames;
    active_ = true;
  } else if (!state && active_) {
    EffectBase::Lock lock(instrument);
    instrument.ActivationChanged(false);
    instrument.ResetProcessing();
    active_ = false;
  }
  return kResultOk;
}

// -- processing setup ------------------------------------------------------------------------

// No audio input; the one output is stereo.
tresult Vst3Plugin::setBusArrangements(SpeakerArrangement* /*inputs*/, int32 inputCount, SpeakerArrangement* outputs,
                                       int32 outputCount) {
  if (inputCount != 0 || outputCount != 1 || !outputs) return kResultFalse;
  return outputs[0] == kStereo ? kResultTrue : kResultFalse;
}

tresult Vst3Plugin::getBusArrangement(BusDirection direction, int32 index, SpeakerArrangement& arrangement) {
  if (direction != kOutput || index != 0) return kInvalidArgument;
  arrangement = kStereo;
  return kResultOk;
}

tresult Vst3Plugin::canProcessSampleSize(int32 symbolicSampleSize) {
  return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue : kResultFalse;
}

tresult Vst3Plugin::setupProcessing(ProcessSetup& setup) {
  if (active_ || !(setup.sampleRate > 0) || setup.maxSamplesPerBlock <= 0 ||
      canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue)
    return kResultFalse;
  sampleRate_ = setup.sampleRate;
  maxFrames_ = setup.maxSamplesPerBlock < kMaxBlockSize ? setup.maxSamplesPerBlock : kMaxBlockSize;
  doublePrecision_ = setup.symbolicSampleSize == kSample64;
  return kResultOk;
}

// Each process call takes the engine for itself; a stop ends the notes.
tresult Vst3Plugin::setProcessing(TBool state) {
  if (!state) resetPending_.store(true, std::memory_order_release);
  return kResultOk;
}

// The release of the last note lasts at most as long as the longest
// envelope release; hosts keep calling while notes sound anyway.
uint32 Vst3Plugin::getTailSamples() { return static_cast<uint32>(sampleRate_ * 10); }

uint32 Vst3Plugin::getProcessContextRequirements() {
  return IProcessContextRequirements::kNeedProjectTimeMusic | IProcessContextRequirements::kNeedBarPositionMusic |
         IProcessContextRequirements::kNeedCycleMusic | IProcessContextRequirements::kNeedTempo |
         IProcessContextRequirements::kNeedTimeSignature | IProcessContextRequirements::kNeedTransportState;
}

// -- the controller's handler ---------------------------------------------------------------

tresult Vst3Plugin::setComponentHandler(IComponentHandler* handler) {
  if (handler == handler_) return kResultOk;
  Release(unitHandler_);
  Release(handler2_);
  Release(handler_);
  if (!handler) return kResultOk;
  handler->addRef();
  handler_ = handler;
  unitHandler_ = Query<IUnitHandler>(handler);
  handler2_ = Query<IComponentHandler2>(handler);
  return kResultOk;
}

// -- host requests -------------------------------------------------------------------------------
// Edits on the UI thread go to the component handler; a learned controller
// moving a parameter during a process call becomes an output point.

thread_local Vst3Plugin* Vst3Plugin::processing_ = nullptr;

void Vst3Plugin::BeginEdit(int index) {
  if (InProcess() || hostSelecting_ || index < 0 || index >= Kestrion::kParameterCount) return;
  gestures_.set(static_cast<std::size_t>(index));
  if (handler_) handler_->beginEdit(static_cast<ParamID>(index));
}

// A value set outside a gesture (a typed value, a program's values) is
// sent as a gesture of its own: hosts take edits only between a begin and
// an end.
void Vst3Plugin::PerformEdit(int index, double normalised) {
  if (InProcess()) {
    AddOutputPoint(static_cast<ParamID>(index), normalised);
    return;
  }
  if (!handler_ || hostSelecting_ || index < 0 || index >= Kestrion::kParameterCount) return;
  const auto id = static_cast<ParamID>(index);
  const bool alone = !gestures_.test(static_cast<std::size_t>(index));
  if (alone) handler_->beginEdit(id);
  handler_->performEdit(id, normalised);
  if (alone) handler_->endEdit(id);
}

void Vst3Plugin::EndEdit(int index) {
  if (InProcess() || hostSelecting_ || index < 0 || index >= Kestrion::kParameterCount) return;
  gestures_.reset(static_cast<std::size_t>(index));
  if (handler_) handler_->endEdit(static_cast<ParamID>(index));
}

// Many values changed at once (a program, a bank, a state). On the UI
// thread the host reads every value and the program list again; during a
// process call (a program change by MIDI) the values go out as points.
void Vst3Plugin::ProgramListChanged() {
  if (InProcess()) {
    ReportAllValues();
    return;
  }
  if (hostSelecting_) return;
  if (unitHandler_) unitHandler_->notifyProgramListChange(kProgramListId, kAllProgramInvalid);
  if (handler_) handler_->restartComponent(kParamValuesChanged);
  if (handler2_) handler2_->setDirty(true);
}

// -- instances ---------------------------------------------------------------------------------

std::mutex& Vst3InstanceCreationLock() {
  static std::mutex lock;
  return lock;
}

// -- the view ---------------------------------------------------------------------------------

// One view at a time: the panel shows one instrument once.
IPlugView* Vst3Plugin::createView(FIDString name) {
  if (!name || std::strcmp(name, kEditorViewType) != 0 || view_) return nullptr;
  try {
    view_ = new Vst3View(*this);
  } catch (...) {
    return nullptr;
  }
  return view_;
}

void Vst3Plugin::ViewClosed(Vst3View* view) {
  if (view == view_) view_ = nullptr;
}
