// Construction of the effect record and the requests the plug-in sends to
// the host. The dispatcher, the state chunk and the audio callbacks have
// their own files (VstDispatcher.cpp, VstChunk.cpp, VstProcess.cpp).
#include "host/EffectVST.h"

#include "core/EditorView.h"
#include "core/HostId.h"

using namespace vst;

namespace {

VstInt32 ArrangementType(int channels) {
  switch (channels) {
    case 0: return kSpeakerArrEmpty;
    case 1: return kSpeakerArrMono;
    case 2: return kSpeakerArrStereo;
    default: return kSpeakerArrUserDefined;
  }
}

}  // namespace

IEffectVST::IEffectVST(const IEffectIdentity& identity, AudioMasterCallback host)
    : IEffectBase(identity),
      host_(host),
      programChunk_(IStateBuffer::kGranularity),
      bankChunk_(IStateBuffer::kGranularity) {
  effect_.magic = kEffectMagic;
  effect_.dispatcher = &VSTDispatcher;
  effect_.process = &VSTProcess;
  effect_.processReplacing = &VSTProcessReplacing;
  effect_.processDoubleReplacing = &VSTProcessDoubleReplacing;
  effect_.setParameter = &VSTSetParameter;
  effect_.getParameter = &VSTGetParameter;
  effect_.numPrograms = PresetCount() > 0 ? PresetCount() : 1;
  effect_.numParams = ParameterCount();
  effect_.numInputs = InputCount();
  effect_.numOutputs = OutputCount();
  effect_.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
  if (UsesChunks()) effect_.flags |= effFlagsProgramChunks;
  if (IsInstrument()) effect_.flags |= effFlagsIsSynth;
  if (LegalIO(1, -1)) effect_.flags |= effFlagsCanMono;
  effect_.initialDelay = Latency();
  effect_.ioRatio = 1.0f;
  effect_.object = this;
  effect_.uniqueID = static_cast<VstInt32>(UniqueId());
  effect_.version = VersionDecimal();

  UpdateSpeakerArrangements();
  inputArrangement_.type = ArrangementType(InputCount());
  outputArrangement_.type = ArrangementType(OutputCount());

  for (int i = 0; i < InputCount(); ++i) Input(i).connected = true;
  for (int i = 0; i < OutputCount(); ++i) Output(i).connected = true;
  ChangeBlockSize(1024);
}

IEffectVST::~IEffectVST() { effect_.object = nullptr; }

void IEffectVST::UpdateSpeakerArrangements() {
  inputArrangement_.numChannels = InputCount();
  outputArrangement_.numChannels = OutputCount();
}

VstIntPtr IEffectVST::CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
  return host_ ? host_(&effect_, opcode, index, value, ptr, opt) : 0;
}

// -- host requests -----------------------------------------------------------

void IEffectVST::BeginParameterEdit(int index) { CallHost(audioMasterBeginEdit, index); }

void IEffectVST::NotifyHostOfParameter(int index, double normalised) {
  CallHost(audioMasterAutomate, index, 0, nullptr, static_cast<float>(normalised));
}

void IEffectVST::EndParameterEdit(int index) { CallHost(audioMasterEndEdit, index); }

void IEffectVST::RequestHostDisplayUpdate() { CallHost(audioMasterUpdateDisplay); }

void IEffectVST::GetHostTimeInfo(IHostTimeInfo* info) {
  constexpr VstInt32 kWanted =
      kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid;
  auto* time = reinterpret_cast<VstTimeInfo*>(CallHost(audioMasterGetTime, 0, kWanted));
  if (!time || !(time->flags & kWanted)) return;
  // A field is taken only when the host marks it valid and it makes sense;
  // std::isfinite is not needed: NaN fails every comparison below.
  info->samplePosition = time->samplePos;
  if ((time->flags & kVstTempoValid) && time->tempo > 0) info->tempo = time->tempo;
  if ((time->flags & kVstPpqPosValid) && time->ppqPos >= 0) info->quarterNotePosition = time->ppqPos;
  if ((time->flags & kVstBarsValid) && time->barStartPos >= 0) info->lastBarStart = time->barStartPos;
  if ((time->flags & kVstCyclePosValid) && time->cycleStartPos >= 0 && time->cycleEndPos >= 0) {
    info->cycleStart = time->cycleStartPos;
    info->cycleEnd = time->cycleEndPos;
  }
  if ((time->flags & kVstTimeSigValid) && time->timeSigNumerator > 0 &&
      time->timeSigDenominator > 0) {
    info->numerator = time->timeSigNumerator;
    info->denominator = time->timeSigDenominator;
  }
  info->playing = (time->flags & kVstTransportPlaying) != 0;
  info->looping = (time->flags & kVstTransportCycleActive) != 0;
}

int IEffectVST::GetHostId() {
  if (hostNumber_ != kHostNotAsked) return hostNumber_;
  char product[kHostStringLength] = "";
  CallHost(audioMasterGetProductString, 0, 0, product);
  product[kHostStringLength - 1] = 0;
  if (product[0]) hostVersion_ = HostVersionWord(CallHost(audioMasterGetVendorVersion));
  hostNumber_ = LookUpHostNumber(product);
  return hostNumber_;
}

void IEffectVST::PrepareForHost() {
  hostSetupDone_ = true;
  if (IsStereoOnlyHost(GetHostId())) RestrictToStereo();
  effect_.numInputs = InputCount();
  effect_.numOutputs = OutputCount();
  UpdateSpeakerArrangements();
  HostIdentified();
}

void IEffectVST::AttachEditor(IEditorView* editor) {
  if (!editor) return;
  IEffectBase::AttachEditor(editor);
  effect_.flags |= effFlagsHasEditor;
  editorRect_ = {0, 0, static_cast<VstInt16>(editor->Height()),
                 static_cast<VstInt16>(editor->Width())};
}

bool IEffectVST::SendMidiEvent(const IMidiEvent* event) {
  VstMidiEvent midi{};
  midi.type = kVstMidiType;
  midi.byteSize = sizeof(VstMidiEvent);
  midi.deltaFrames = event->offset;
  midi.midiData[0] = static_cast<char>(event->status);
  midi.midiData[1] = static_cast<char>(event->data1);
  midi.midiData[2] = static_cast<char>(event->data2);
  VstEvents events{};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<VstEvent*>(&midi);
  return CallHost(audioMasterProcessEvents, 0, 0, &events) == 1;
}
