// The dispatcher: every request a host sends that is not audio, under the
// instrument's mutex (idle calls and the editor's opening and closing
// excepted), plus the answers about parameters as text, pins, can-do
// questions and the vendor extensions.
#include "vst2/VstPlugin.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "instrument/panel/PanelEditor.h"
#include "plugin/EditorView.h"
#include "plugin/NumberText.h"
#include "ui/Editor.h"

using namespace vst;

namespace {

constexpr VstIntPtr kIdentifyAnswer = 0x4E764566;  // "NvEf"
constexpr VstIntPtr kExtensionAnswer = 0xBEEF;
constexpr VstIntPtr kCanDoExtension = 0xBEEF0000;

// The editor's code (EditorKey) of a key as effEditKeyDown gives it: its
// character in `character`, or a virtual key code; -1 for keys the editor
// knows nothing of.
int EditorKeyOf(int character, VstIntPtr virtualKey) {
  switch (virtualKey) {
    case kVirtualKeySpace: return kKeySpace;
    case kVirtualKeyUp: return kKeyUp;
    case kVirtualKeyDown: return kKeyDown;
    case kVirtualKeyLeft: return kKeyLeft;
    case kVirtualKeyRight: return kKeyRight;
    default: break;
  }
  if (virtualKey >= kVirtualKeyNumpad0 && virtualKey <= kVirtualKeyNumpad9)
    return kKeyDigit0 + static_cast<int>(virtualKey - kVirtualKeyNumpad0);
  if (character == ' ') return kKeySpace;
  if (character >= '0' && character <= '9') return kKeyDigit0 + (character - '0');
  if (character >= 'a' && character <= 'z') return kKeyLetterA + (character - 'a');
  if (character >= 'A' && character <= 'Z') return kKeyLetterA + (character - 'A');
  return -1;
}

// Sizes as askedSize_ holds them.
std::uint32_t PackSize(int width, int height) {
  return static_cast<std::uint32_t>(height & 0xFFFF) << 16 | static_cast<std::uint32_t>(width & 0xFFFF);
}

}  // namespace

VstIntPtr VstPlugin::VSTDispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
  VstPlugin* plugin = FromRecord(effect);
  if (!plugin) return 0;
  if (opcode == effClose) {
    // The mutex belongs to the instrument: it must be free before it goes.
    { EffectBase::Lock lock(*plugin->instrument_); }
    delete plugin;
    return 0;
  }
  try {
    if (opcode == effEditIdle || opcode == effIdle) {
      plugin->Idle(opcode == effEditIdle);
      return 0;
    }
    if (opcode == effEditOpen) return plugin->OpenEditor(ptr);
    if (opcode == effEditClose) return plugin->CloseEditor();
    // Hosts send events from the audio thread: no lock, no waiting.
    if (opcode == effProcessEvents) {
      if (!ptr) return 0;
      plugin->DeliverEvents(*static_cast<const VstEvents*>(ptr));
      return 1;
    }
    // The host is asked what it is before any lock is taken.
    if (opcode == effGetChunk || opcode == effSetChunk) plugin->IsChunkHost();
    EffectBase::Lock lock(*plugin->instrument_);
    return plugin->Dispatch(opcode, index, value, ptr, opt);
  } catch (...) {
    return 0;  // nothing may unwind into the host
  }
}

VstIntPtr VstPlugin::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  const bool validParameter = index >= 0 && index < instrument_->ParameterCount();
  switch (opcode) {
    case effOpen: instrument_->NotifyAllParameters(); return 0;
    case effSetProgram:
      instrument_->ModifyCurrentPreset(nullptr);
      if (value >= 0 && value < instrument_->PresetCount()) instrument_->ActivatePreset(static_cast<int>(value));
      return 0;
    case effGetProgram: return instrument_->CurrentPreset();
    case effSetProgramName:
      if (ptr) {
        // Hosts pass at most a slot's worth; never read past that.
        char name[kPresetNameLength];
        CopyText(name, static_cast<const char*>(ptr));
        instrument_->ModifyCurrentPreset(name);
      }
      return 0;
    case effGetProgramName:
      if (ptr)
        CopyText(static_cast<char*>(ptr), instrument_->PresetName(instrument_->CurrentPreset()), kPresetNameLength);
      return 0;
    case effGetParamLabel:
      if (validParameter && ptr)
        CopyText(static_cast<char*>(ptr), instrument_->Parameter(index)->DisplayLabel(), kNameLength);
      return 0;
    case effGetParamDisplay:
      if (validParameter && ptr) {
        const EffectParameter* parameter = instrument_->Parameter(index);
        parameter->FormatValue(parameter->value, false, static_cast<char*>(ptr), true);
      }
      return 0;
    case effGetParamName:
      if (validParameter && ptr) CopyText(static_cast<char*>(ptr), instrument_->Parameter(index)->name, kNameLength);
      return 0;
    case effSetSampleRate:
      instrument_->ChangeSampleRate(static_cast<double>(opt));
      instrument_->ResetProcessing();
      return 0;
    case effSetBlockSize:
      if (value <= 0 || value > kMaxBlockSize) return 0;
      ChangeBlockSize(static_cast<int>(value));
      instrument_->ResetProcessing();
      return 0;
    case effMainsChanged:
      if (value) {
        instrument_->ActivationChanged(true);
      } else {
        instrument_->ActivationChanged(false);
        instrument_->ResetProcessing();
      }
      return 0;
    case effEditGetRect:
      if (!ptr) return 0;
      // The size depends on the screen and the user's choice: the editor
      // knows it, so a host asking before opening gets the editor made.
      MakeEditor();
      *static_cast<ERect**>(ptr) = &editorRect_;
      return 1;
    case effEditKeyDown:
    case effEditKeyUp: return EditorKey(opcode == effEditKeyDown, index, value);
    case effIdentify: return kIdentifyAnswer;
    case effGetChunk:
      if (!ptr) return 0;
      return GetChunk(static_cast<void**>(ptr), index == 0 && !IsChunkHost());
    case effSetChunk:
      if (!ptr) return 0;
      return SetChunk(ptr, value, index == 0 && !IsChunkHost());
    case effCanBeAutomated: return 1;
    case effString2Parameter: return StringToParameter(index, static_cast<const char*>(ptr));
    case effGetProgramNameIndexed: {
      if (!ptr) return 0;
      const char* name = instrument_->PresetName(index);
      CopyText(static_cast<char*>(ptr), name, kPresetNameLength);
      return name[0] ? 1 : 0;
    }
    case effGetInputProperties: return PinProperties(index, static_cast<VstPinProperties*>(ptr), false);
    case effGetOutputProperties: return PinProperties(index, static_cast<VstPinProperties*>(ptr), true);
    case effGetPlugCategory: return instrument_->IsInstrument() ? kPlugCategSynth : kPlugCategEffect;
    case effProcessVarIo: return 0;
    case effSetSpeakerArrangement:
      SetSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value), false);
      SetSpeakerArrangement(static_cast<VstSpeakerArrangement*>(ptr), true);
      return 1;
    case effGetEffectName:
      if (!ptr) return 0;
      CopyText(static_cast<char*>(ptr), instrument_->EffectName(), 32);
      return 1;
    case effGetVendorString:
      if (!ptr) return 0;
      CopyText(static_cast<char*>(ptr), instrument_->MakerName(), 64);
      return 1;
    case effGetProductString:
      if (!ptr) return 0;
      CopyText(static_cast<char*>(ptr), instrument_->ProductName(), 64);
      return 1;
    case effGetVendorVersion: return instrument_->VersionDecimal();
    case effVendorSpecific: return VendorSpecific(index, value, ptr, opt);
    case effCanDo: return CanDo(static_cast<const char*>(ptr));
    case effGetTailSize: return instrument_->TailSize();
    case effGetVstVersion: return kVstVersion;
    case effGetMidiKeyName:
      // No key has a name of its own.
      if (ptr) static_cast<vst::MidiKeyName*>(ptr)->keyName[0] = 0;
      return 0;
    case effGetSpeakerArrangement:
      if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = &inputArrangement_;
      if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = &outputArrangement_;
      return 1;
    default: return 0;
  }
}

// -- parameters as text, pins, can-do, extensions -------------------------------

VstIntPtr VstPlugin::StringToParameter(int index, const char* text) {
  EffectParameter* parameter = instrument_->Parameter(index);
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
  instrument_->ShowOnEditor(index, v, false);
  parameter->value = parameter->Clamp(v);
  instrument_->ParameterChanged(index);
  instrument_->ParameterEditedByHost(index);
  return 1;
}

// The instrument has no inputs and one stereo pair of outputs.
VstIntPtr VstPlugin::PinProperties(int index, VstPinProperties* pin, bool output) {
  if (!pin || !output || index < 0 || index >= kOutputCount) return 0;
  pin->flags = kVstPinIsActive;
  if (index % 2 == 0 && index < kOutputCount - 1) pin->flags |= kVstPinIsStereo;
  std::snprintf(pin->label, sizeof pin->label, "%s", kOutputLabel);
  return 1;
}

void VstPlugin::SetSpeakerArrangement(VstSpeakerArrangement* arrangement, bool output) {
  if (!arrangement || !output) return;
  for (int i = 0; i < kOutputCount; ++i) {
    outputs_[i].connected = i < arrangement->numChannels;
    if (!outputs_[i].connected) outputPointers_[i] = outputs_[i].scratch.data();
  }
}

// The editor's idle work reads only what the engine publishes and may run
// the editor's own event loop: it never holds up the audio thread.
void VstPlugin::MakeEditor() {
  if (!editor_) {
    editor_ = std::make_unique<panel::PanelEditor>(*instrument_, makeEditor_);
    // Some hosts never idle the editor: it drives itself when they do not.
    panel::PanelEditor* panel = editor_.get();
    editorDrivesItself_ = editor_->Window().EnableOwnDriver([panel] { panel->Idle(); });
    editor_->SetResizeRequest([this](int width, int height) {
      askedSize_.store(PackSize(width, height), std::memory_order_release);
      FitHostWindow(width, height);
      askedSize_.store(0, std::memory_order_release);
      return true;
    });
  }
  const std::uint32_t asked = askedSize_.load(std::memory_order_acquire);
  if (asked != 0)
    SetEditorRect(static_cast<int>(asked & 0xFFFF), static_cast<int>(asked >> 16));
  else
    SetEditorRect(editor_->Width(), editor_->Height());
}

// A host that cannot resize its window has it resized for it: the panel
// never shows cut off.
void VstPlugin::FitHostWindow(int width, int height) {
  if (CallHost(audioMasterSizeWindow, width, height) == 0) editor_->Window().ResizeHostWindow(width, height);
}

VstIntPtr VstPlugin::OpenEditor(void* parent) {
  {
    EffectBase::Lock lock(*instrument_);
    MakeEditor();
  }
  auto& window = editor_->Window();
  bool opened = false;
  try {
    opened = window.OpenWindow(parent) != nullptr;
  } catch (...) {
  }
  if (!opened) {
    EffectBase::Lock lock(*instrument_);
    editor_.reset();
    return 0;
  }
  // A parent smaller than the panel would cut it off: the host is asked to
  // grow it, else it is grown (never shrunk) here.
  int width = 0, height = 0;
  if (window.ParentSizeAtOpen(&width, &height) && (width < window.Width() || height < window.Height()) &&
      CallHost(audioMasterSizeWindow, window.Width(), window.Height()) == 0)
    window.ResizeHostWindow(std::max(width, window.Width()), std::max(height, window.Height()));
  return 1;
}

VstIntPtr VstPlugin::CloseEditor() {
  if (!editor_) return 0;
  editor_->Window().CloseWindow();
  EffectBase::Lock lock(*instrument_);
  heldKey_ = -1;
  editor_.reset();
  return 1;
}

// Keys the editor does not use stay the host's (space, its transport key,
// always); a release goes with its press.
VstIntPtr VstPlugin::EditorKey(bool down, int character, VstIntPtr virtualKey) {
  const int key = EditorKeyOf(character, virtualKey);
  if (!editor_ || key < 0 || key == kKeySpace) return 0;
  if (!down) {
    const bool taken = key == heldKey_;
    if (taken) heldKey_ = -1;
    return taken ? 1 : 0;
  }
  const bool taken = editor_->Window().HostKeyPressed(key);
  heldKey_ = taken ? key : -1;
  return taken ? 1 : 0;
}

void VstPlugin::SetEditorRect(int width, int height) {
  editorRect_ = {0, 0, static_cast<VstInt16>(height), static_cast<VstInt16>(width)};
}

void VstPlugin::Idle(bool editorIdle) {
  if (!editor_) return;
  if (editorIdle) editor_->Window().HandleHostIdle();
  // An editor driving itself does the idle work in its own turns.
  if (!editorDrivesItself_) editor_->Idle();
}

VstIntPtr VstPlugin::CanDo(const char* question) {
  if (!question) return 0;
  if (std::strcmp(question, "receiveVstTimeInfo") == 0) return 1;
  if (std::strcmp(question, "sendVstEvents") == 0 || std::strcmp(question, "sendVstMidiEvent") == 0 ||
      std::strcmp(question, "receiveVstEvents") == 0 || std::strcmp(question, "receiveVstMidiEvent") == 0)
    return instrument_->HandlesMidi() ? 1 : 0;
  if (std::strcmp(question, "hasCockosExtensions") == 0 || std::strcmp(question, "hasCockosViewAsConfig") == 0)
    return kCanDoExtension;
  return 0;
}

VstIntPtr VstPlugin::VendorSpecific(int index, VstIntPtr value, void* ptr, float opt) {
  const bool validParameter = value >= 0 && value < instrument_->ParameterCount();
  if (index == effGetParamDisplay) {
    if (!ptr) return 0;
    if (validParameter)
      instrument_->Parameter(static_cast<int>(value))->FormatValue(opt, true, static_cast<char*>(ptr), true);
    return kExtensionAnswer;
  }
  if (index == effGetParamName) {
    if (validParameter && instrument_->Parameter(static_cast<int>(value))->kind != EffectParameter::kContinuous)
      return kExtensionAnswer;
    return 0;
  }
  return 0;
}
