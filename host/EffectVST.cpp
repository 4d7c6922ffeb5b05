#include "host/EffectVST.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "core/EditorView.h"
#include "core/HostId.h"
#include "core/NumberText.h"
#include "host/FloatControl.h"

using namespace vst;

namespace {

constexpr VstIntPtr kIdentifyAnswer = 0x4E764566;  // "NvEf"
constexpr VstIntPtr kExtensionAnswer = 0xBEEF;
constexpr VstIntPtr kCanDoExtension = 0xBEEF0000;
constexpr int kHostStringLength = 256;

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

bool IEffectVST::IsOfflineRender() {
  return CallHost(audioMasterGetCurrentProcessLevel) == kVstProcessLevelOffline;
}

int IEffectVST::GetHostSamplePosition() {
  auto* time = reinterpret_cast<VstTimeInfo*>(CallHost(audioMasterGetTime, 0, 0));
  if (!time || !(time->samplePos >= 0)) return 0;
  double rounded = time->samplePos + 0.5;
  return rounded < 2147483647.0 ? static_cast<int>(rounded) : 2147483647;
}

double IEffectVST::GetHostTempo() {
  auto* time = reinterpret_cast<VstTimeInfo*>(CallHost(audioMasterGetTime, 0, kVstTempoValid));
  if (time && (time->flags & kVstTempoValid) && time->tempo >= 0) return time->tempo;
  return 0;
}

void IEffectVST::GetHostTimeSignature(int* numerator, int* denominator) {
  *numerator = 0;
  *denominator = 0;
  auto* time = reinterpret_cast<VstTimeInfo*>(CallHost(audioMasterGetTime, 0, kVstTimeSigValid));
  if (time && (time->flags & kVstTimeSigValid) && time->timeSigNumerator >= 0 &&
      time->timeSigDenominator >= 0) {
    *numerator = time->timeSigNumerator;
    *denominator = time->timeSigDenominator;
  }
}

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

void IEffectVST::ResizeEditor() {
  if (!Editor()) return;
  editorRect_ = {0, 0, static_cast<VstInt16>(Editor()->Height()),
                 static_cast<VstInt16>(Editor()->Width())};
  EditorResized();
}

void IEffectVST::PrepareForHost() {
  hostSetupDone_ = true;
  int host = GetHostId();
  if (host == 15 || host == 17 || host == 18 || host == 20) RestrictToStereo();
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

void IEffectVST::SetLatencySamples(int samples) {
  IEffectBase::SetLatencySamples(samples);
  effect_.initialDelay = samples;
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

bool IEffectVST::SendSysExEvent(const IMidiSysEx* sysex) {
  VstMidiSysexEvent midi{};
  midi.type = kVstSysExType;
  midi.byteSize = sizeof(VstMidiSysexEvent);
  midi.deltaFrames = sysex->offset;
  midi.dumpBytes = sysex->size;
  midi.sysexDump = const_cast<char*>(reinterpret_cast<const char*>(sysex->data));
  VstEvents events{};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<VstEvent*>(&midi);
  return CallHost(audioMasterProcessEvents, 0, 0, &events) == 1;
}

// -- the dispatcher ------------------------------------------------------------

VstIntPtr IEffectVST::VSTDispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                    VstIntPtr value, void* ptr, float opt) {
  IEffectVST* plugin = FromRecord(effect);
  if (!plugin) return 0;
  if (opcode == effClose) {
    // The mutex belongs to the object: it must be free before the object goes.
    { Lock lock(plugin->Mutex()); }
    delete plugin;
    return 0;
  }
  try {
    Lock lock(plugin->Mutex());
    return plugin->Dispatch(opcode, index, value, ptr, opt);
  } catch (...) {
    return 0;  // nothing may unwind into the host
  }
}

VstIntPtr IEffectVST::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
  if (opcode == effEditIdle || opcode == effIdle) {
    IdleTick();
    return 0;
  }
  const bool validParameter = index >= 0 && index < ParameterCount();
  switch (opcode) {
    case effOpen:
      if (!hostSetupDone_) PrepareForHost();
      NotifyAllParameters();
      return 0;
    case effSetProgram:
      ModifyCurrentPreset(nullptr);
      if (value >= 0 && value < PresetCount()) ActivatePreset(static_cast<int>(value));
      return 0;
    case effGetProgram:
      return CurrentPreset();
    case effSetProgramName:
      if (ptr) {
        // Hosts pass at most a slot's worth; never read past that.
        char name[kPresetNameLength];
        CopyText(name, static_cast<const char*>(ptr));
        ModifyCurrentPreset(name);
        PresetListChanged();
      }
      return 0;
    case effGetProgramName:
      if (ptr) CopyText(static_cast<char*>(ptr), PresetName(CurrentPreset()), kPresetNameLength);
      return 0;
    case effGetParamLabel:
      if (validParameter && ptr)
        CopyText(static_cast<char*>(ptr), Parameter(index)->DisplayLabel(), kNameLength);
      return 0;
    case effGetParamDisplay:
      if (validParameter && ptr) {
        const IEffectParameter* parameter = Parameter(index);
        parameter->FormatValue(parameter->value, false, static_cast<char*>(ptr), true);
      }
      return 0;
    case effGetParamName:
      if (validParameter && ptr) CopyText(static_cast<char*>(ptr), Parameter(index)->name, kNameLength);
      return 0;
    case effSetSampleRate:
      ChangeSampleRate(static_cast<double>(opt));
      ResetProcessing();
      return 0;
    case effSetBlockSize:
      if (value <= 0 || value > kMaxBlockSize) return 0;
      ChangeBlockSize(static_cast<int>(value));
      ResetProcessing();
      return 0;
    case effMainsChanged:
      if (value) {
        ActivationChanged(true);
      } else {
        ActivationChanged(false);
        ResetProcessing();
      }
      return 0;
    case effEditGetRect:
      if (ptr && Editor()) {
        *static_cast<ERect**>(ptr) = &editorRect_;
        return 1;
      }
      return 0;
    case effEditOpen:
      if (Editor() && Editor()->OpenWindow(ptr)) {
        EditorOpened();
        return 1;
      }
      return 0;
    case effEditClose:
      if (!Editor()) return 0;
      EditorClosed();
      Editor()->CloseWindow();
      return 1;
    case effIdentify:
      return kIdentifyAnswer;
    case effGetChunk:
      if (!ptr) return 0;
      return GetChunk(static_cast<void**>(ptr), index == 0 && !IsChunkHost());
    case effSetChunk:
      if (!ptr) return 0;
      return SetChunk(ptr, value, index == 0 && !IsChunkHost());
    case effProcessEvents: {
      if (!ptr) return 0;
      auto* events = static_cast<VstEvents*>(ptr);
      for (VstInt32 i = 0; i < events->numEvents; ++i) {
        VstEvent* event = events->events[i];
        if (!event) continue;
        if (event->type == kVstMidiType) {
          auto* midi = reinterpret_cast<VstMidiEvent*>(event);
          IMidiEvent message;
          message.offset = midi->deltaFrames;
          message.status = static_cast<std::uint8_t>(midi->midiData[0]);
          message.data1 = static_cast<std::uint8_t>(midi->midiData[1]);
          message.data2 = static_cast<std::uint8_t>(midi->midiData[2]);
          HandleMidiEvent(&message);
        } else if (event->type == kVstSysExType) {
          auto* sysex = reinterpret_cast<VstMidiSysexEvent*>(event);
          IMidiSysEx message;
          message.offset = sysex->deltaFrames;
          message.size = sysex->dumpBytes;
          message.data = reinterpret_cast<const std::uint8_t*>(sysex->sysexDump);
          HandleSysEx(&message);
        }
      }
      return 1;
    }
    case effCanBeAutomated:
      return 1;
    case effString2Parameter:
      return StringToParameter(index, static_cast<const char*>(ptr));
    case effGetProgramNameIndexed: {
      if (!ptr) return 0;
      const char* name = PresetName(index);
      CopyText(static_cast<char*>(ptr), name, kPresetNameLength);
      return name[0] ? 1 : 0;
    }
    case effGetInputProperties:
      return PinProperties(index, static_cast<VstPinProperties*>(ptr), false);
    case effGetOutputProperties:
      return PinProperties(index, static_cast<VstPinProperties*>(ptr), true);
    case effGetPlugCategory:
      return IsInstrument() ? kPlugCategSynth : kPlugCategEffect;
    case effProcessVarIo:
      return 0;
    case effSetSpeakerArrangement:
      SetSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value), false);
      SetSpeakerArrangement(static_cast<VstSpeakerArrangement*>(ptr), true);
      return 1;
    case effGetEffectName:
      if (!ptr) return 0;
      CopyText(static_cast<char*>(ptr), EffectName(), 32);
      return 1;
    case effGetVendorString:
      if (!ptr) return 0;
      CopyText(static_cast<char*>(ptr), MakerName(), 64);
      return 1;
    case effGetProductString:
      if (!ptr) return 0;
      CopyText(static_cast<char*>(ptr), ProductName(), 64);
      return 1;
    case effGetVendorVersion:
      return VersionDecimal();
    case effVendorSpecific:
      return VendorSpecific(index, value, ptr, opt);
    case effCanDo:
      return CanDo(static_cast<const char*>(ptr));
    case effGetTailSize:
      return TailSize();
    case effGetVstVersion:
      return kVstVersion;
    case effGetMidiKeyName: {
      if (!ptr) return 0;
      auto* key = static_cast<vst::MidiKeyName*>(ptr);
      key->keyName[0] = 0;
      char name[sizeof key->keyName] = "";
      bool named = MidiKeyName(key->thisKeyNumber, name);
      CopyText(key->keyName, name);
      return named ? 1 : 0;
    }
    case effGetSpeakerArrangement:
      if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = &inputArrangement_;
      if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = &outputArrangement_;
      return 1;
    default:
      return 0;
  }
}

// -- state chunk ---------------------------------------------------------------

bool IEffectVST::IsChunkHost() {
  if (chunkHostChecked_) return chunkHost_;
  char vendor[kHostStringLength] = "";
  CallHost(audioMasterGetVendorString, 0, 0, vendor);
  vendor[kHostStringLength - 1] = 0;
  for (char* c = vendor; *c; ++c) *c = static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
  chunkHost_ = std::strcmp(vendor, "native instruments") == 0 ||
               std::strcmp(vendor, "juce vst host") == 0;
  chunkHostChecked_ = true;
  return chunkHost_;
}

VstIntPtr IEffectVST::GetChunk(void** data, bool bank) {
  IStateBuffer& buffer = bank ? bankChunk_ : programChunk_;
  WriteChunkHeader(buffer);
  bool ok;
  if (bank) {
    ModifyCurrentPreset(nullptr);
    ok = SerializePresets(buffer);
  } else {
    ok = SerializeCurrentState(buffer);
    buffer.AppendString(PresetName(CurrentPreset()));
  }
  if (!ok || buffer.Size() == 0) return 0;
  *data = buffer.Data();
  return buffer.Size();
}

// A chunk is checked whole before anything is applied: the host may hand us
// a truncated or foreign chunk, and the user's programs must survive that.
VstIntPtr IEffectVST::SetChunk(const void* data, VstIntPtr size, bool bank) {
  if (size <= 0 || size > kMaxChunkSize) return 0;
  const int length = static_cast<int>(size);
  IStateBuffer& buffer = bank ? bankChunk_ : programChunk_;
  buffer.Clear();
  buffer.AppendBytes(data, length);
  if (buffer.Size() != length) return 0;

  int start = 0;
  std::uint32_t version = ReadChunkHeader(buffer, start);
  if (start < 0) return 0;
  const bool readAsBank = bank && version >= kChunkVersion;

  if (readAsBank) {
    if (MeasurePresets(buffer, start) < 0) return 0;
    UnserializePresets(buffer, start);
    RefreshParameterControls();
    return 1;
  }

  // The program form: a state, then optionally the slot's name.
  int end = MeasureState(buffer, start);
  bool nameFollows = end >= 0 && end < length;
  if (nameFollows) {
    char ignored[1];
    end = buffer.ReadString(end, ignored, 0);
    if (end > length) end = -1;  // the name's length runs past the data
  }
  bool programWellFormed = end >= 0;

  if (IsChunkHost() && end != length) {
    // Hosts that send every chunk as a program chunk send banks that way too.
    IStateBuffer& bankBuffer = bankChunk_;
    if (&bankBuffer != &buffer) {
      bankBuffer.Clear();
      bankBuffer.AppendBytes(data, length);
    }
    int bankStart = 0;
    std::uint32_t bankVersion = ReadChunkHeader(bankBuffer, bankStart);
    if (bankStart < 0) return 0;
    if (bankVersion >= kChunkVersion) {
      if (MeasurePresets(bankBuffer, bankStart) < 0) return 0;
      UnserializePresets(bankBuffer, bankStart);
    } else if (!programWellFormed) {
      return 0;
    } else {
      // Not a bank either: the well-formed program (with trailing bytes) stands.
      ApplyProgramChunk(buffer, start, length);
    }
    RefreshParameterControls();
    return 1;
  }

  if (!programWellFormed) return 0;
  ApplyProgramChunk(buffer, start, length);
  RefreshParameterControls();
  return 1;
}

void IEffectVST::ApplyProgramChunk(const IStateBuffer& buffer, int start, int length) {
  int position = UnserializeState(buffer, start);
  if (position >= 0 && position < length) {
    char name[kPresetNameLength] = "";
    buffer.ReadString(position, name, sizeof name);
    ModifyCurrentPreset(name);
  } else {
    ModifyCurrentPreset(nullptr);
  }
}

// -- parameters as text, pins, can-do, extensions -------------------------------

VstIntPtr IEffectVST::StringToParameter(int index, const char* text) {
  IEffectParameter* parameter = Parameter(index);
  if (!parameter) return 0;
  if (!text) return 1;
  double v;
  if (!parameter->HasValueNames()) {
    v = ParseLeadingNumber(text);  // 0 when the text does not start with a number
  } else {
    int named;
    if (!parameter->FindValueName(text, &named)) return 0;
    v = named;
  }
  if (!(v == v)) return 0;  // "nan" parses as a number but is no value
  if (Editor()) Editor()->ShowParameterValue(index, v, false);
  parameter->value = parameter->Clamp(v);
  ParameterChanged(index);
  return 1;
}

VstIntPtr IEffectVST::PinProperties(int index, VstPinProperties* pin, bool output) {
  int count = output ? OutputCount() : InputCount();
  if (!pin || index < 0 || index >= count) return 0;
  pin->flags = kVstPinIsActive;
  if (index % 2 == 0 && index < count - 1) pin->flags |= kVstPinIsStereo;
  const std::string& label = output ? Output(index).label : Input(index).label;
  if (!label.empty())
    std::snprintf(pin->label, sizeof pin->label, "%s", label.c_str());
  else
    std::snprintf(pin->label, sizeof pin->label, output ? "Output %d" : "Input %d", index + 1);
  return 1;
}

void IEffectVST::SetSpeakerArrangement(VstSpeakerArrangement* arrangement, bool output) {
  if (!arrangement) return;
  int n = arrangement->numChannels;
  int count = output ? OutputCount() : InputCount();
  for (int i = 0; i < count; ++i) {
    IChannel& channel = output ? Output(i) : Input(i);
    channel.connected = i < n;
    if (!channel.connected) *channel.slot = channel.scratch.data();
  }
}

VstIntPtr IEffectVST::CanDo(const char* question) {
  if (!question) return 0;
  if (std::strcmp(question, "receiveVstTimeInfo") == 0) return 1;
  if (std::strcmp(question, "sendVstEvents") == 0 || std::strcmp(question, "sendVstMidiEvent") == 0 ||
      std::strcmp(question, "receiveVstEvents") == 0 ||
      std::strcmp(question, "receiveVstMidiEvent") == 0)
    return HandlesMidi() ? 1 : 0;
  if (std::strcmp(question, "hasCockosExtensions") == 0 ||
      std::strcmp(question, "hasCockosViewAsConfig") == 0)
    return kCanDoExtension;
  return 0;
}

VstIntPtr IEffectVST::VendorSpecific(int index, VstIntPtr value, void* ptr, float opt) {
  const bool validParameter = value >= 0 && value < ParameterCount();
  if (index == effGetParamDisplay) {
    if (!ptr) return 0;
    if (validParameter)
      Parameter(static_cast<int>(value))->FormatValue(opt, true, static_cast<char*>(ptr), true);
    return kExtensionAnswer;
  }
  if (index == effGetParamName) {
    if (validParameter && Parameter(static_cast<int>(value))->kind != IEffectParameter::kContinuous)
      return kExtensionAnswer;
    return 0;
  }
  return 0;
}

// -- audio and parameter callbacks -----------------------------------------------

void IEffectVST::VSTProcess(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  if (IEffectVST* plugin = FromRecord(effect)) plugin->ProcessFloat(inputs, outputs, frames, true);
}

void IEffectVST::VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs,
                                     VstInt32 frames) {
  if (IEffectVST* plugin = FromRecord(effect)) plugin->ProcessFloat(inputs, outputs, frames, false);
}

void IEffectVST::VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                           VstInt32 frames) {
  if (IEffectVST* plugin = FromRecord(effect)) plugin->ProcessDouble(inputs, outputs, frames);
}

void IEffectVST::VSTSetParameter(AEffect* effect, VstInt32 index, float value) {
  IEffectVST* plugin = FromRecord(effect);
  if (!plugin) return;
  try {
    Lock lock(plugin->Mutex());
    IEffectParameter* parameter = plugin->Parameter(index);
    if (!parameter) return;
    if (plugin->Editor()) plugin->Editor()->ShowParameterValue(index, value, true);
    parameter->SetFromNormalized(value);
    plugin->ParameterChanged(index);
  } catch (...) {
  }
}

float IEffectVST::VSTGetParameter(AEffect* effect, VstInt32 index) {
  IEffectVST* plugin = FromRecord(effect);
  if (!plugin) return 0;
  Lock lock(plugin->Mutex());
  const IEffectParameter* parameter = plugin->Parameter(index);
  return parameter ? static_cast<float>(parameter->ToNormalized()) : 0.0f;
}

// What every process call shares: the mutex, flushed denormals, the MIDI
// request, and pieces of at most one block, since the scratch buffers hold
// one block and the instrument is prepared for no more.
template <typename RenderPiece>
void IEffectVST::RunProcess(bool hostBuffersMissing, int frames, RenderPiece renderPiece) {
  try {
    Lock lock(Mutex());
    ScopedFlushDenormals flush;
    if (HandlesMidi()) CallHost(audioMasterWantMidi);
    if (frames <= 0 || hostBuffersMissing) {
      RenderBlock(InputPointers(), OutputPointers(), 0);
      return;
    }
    const int piece = BlockSize();
    for (int done = 0; done < frames; done += piece)
      renderPiece(done, frames - done < piece ? frames - done : piece);
  } catch (...) {
  }
}

void IEffectVST::ProcessFloat(float** inputs, float** outputs, int frames, bool accumulate) {
  const bool missing = (!outputs && OutputCount() > 0) || (!inputs && InputCount() > 0);
  RunProcess(missing, frames, [&](int done, int n) {
    int hostInput = 0;
    for (int i = 0; i < InputCount(); ++i) {
      IChannel& channel = Input(i);
      if (!channel.connected) continue;
      const float* from = inputs[hostInput++] + done;
      for (int s = 0; s < n; ++s) channel.scratch[static_cast<size_t>(s)] = from[s];
      *channel.slot = channel.scratch.data();
    }
    int hostOutput = 0;
    for (int i = 0; i < OutputCount(); ++i) {
      IChannel& channel = Output(i);
      if (!channel.connected) continue;
      *channel.slot = channel.scratch.data();
      channel.hostBuffer = outputs[hostOutput++] + done;
    }
    RenderBlock(InputPointers(), OutputPointers(), n);
    for (int i = 0; i < OutputCount(); ++i) {
      IChannel& channel = Output(i);
      if (!channel.connected) continue;
      const double* from = channel.scratch.data();
      float* to = channel.hostBuffer;
      int s = 0;
      if (accumulate) {
        for (; s + 4 <= n; s += 4) {
          to[s] = static_cast<float>(from[s]) + to[s];
          to[s + 1] = static_cast<float>(from[s + 1]) + to[s + 1];
          to[s + 2] = static_cast<float>(from[s + 2]) + to[s + 2];
          to[s + 3] = static_cast<float>(from[s + 3]) + to[s + 3];
        }
        for (; s < n; ++s) to[s] = static_cast<float>(from[s]) + to[s];
      } else {
        for (; s + 4 <= n; s += 4) {
          to[s] = static_cast<float>(from[s]);
          to[s + 1] = static_cast<float>(from[s + 1]);
          to[s + 2] = static_cast<float>(from[s + 2]);
          to[s + 3] = static_cast<float>(from[s + 3]);
        }
        for (; s < n; ++s) to[s] = static_cast<float>(from[s]);
      }
    }
  });
}

// The host's double buffers are rendered into directly.
void IEffectVST::ProcessDouble(double** inputs, double** outputs, int frames) {
  const bool missing = (!outputs && OutputCount() > 0) || (!inputs && InputCount() > 0);
  RunProcess(missing, frames, [&](int done, int n) {
    int hostInput = 0;
    for (int i = 0; i < InputCount(); ++i)
      if (Input(i).connected) *Input(i).slot = inputs[hostInput++] + done;
    int hostOutput = 0;
    for (int i = 0; i < OutputCount(); ++i)
      if (Output(i).connected) *Output(i).slot = outputs[hostOutput++] + done;
    RenderBlock(InputPointers(), OutputPointers(), n);
  });
}
