// The dispatcher: every request a host sends that is not audio, under the
// plug-in mutex (idle calls excepted), plus the answers about parameters as text, pins, can-do
// questions and the vendor extensions.
#include "host/EffectVST.h"

#include <cstdio>
#include <cstring>

#include "core/EditorView.h"
#include "core/NumberText.h"

using namespace vst;

namespace {

constexpr VstIntPtr kIdentifyAnswer = 0x4E764566;  // "NvEf"
constexpr VstIntPtr kExtensionAnswer = 0xBEEF;
constexpr VstIntPtr kCanDoExtension = 0xBEEF0000;

}  // namespace

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
    if (opcode == effEditIdle || opcode == effIdle) {
      // The editor's idle work reads only what the engine publishes and may
      // run the editor's own event loop: it never holds up the audio thread.
      if (opcode == effEditIdle && plugin->Editor()) plugin->Editor()->HandleHostIdle();
      plugin->IdleTick();
      return 0;
    }
    Lock lock(plugin->Mutex());
    return plugin->Dispatch(opcode, index, value, ptr, opt);
  } catch (...) {
    return 0;  // nothing may unwind into the host
  }
}

VstIntPtr IEffectVST::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
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
    case effProcessEvents:
      if (!ptr) return 0;
      DeliverEvents(*static_cast<const VstEvents*>(ptr));
      return 1;
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
