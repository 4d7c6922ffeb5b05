// The format-free plug-in object: parameters, program slots, identity,
// processing settings and the plug-in mutex, plus the virtual operations
// through which a format's adapter and the instrument cooperate. Their order
// means nothing outside this build: no host, file or other module sees it.
// Each says on which thread it may be called; unless it says otherwise the
// caller holds the plug-in mutex or the operation takes it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "plugin/EffectParameter.h"
#include "plugin/HostTimeInfo.h"
#include "plugin/MidiEvent.h"
#include "plugin/PresetSlot.h"
#include "plugin/StateBuffer.h"
#include "plugin/Text.h"
#include "platform/PluginMutex.h"

class IEditorView;

struct IEffectIdentity {
  const char* effectName;
  const char* productName;
  const char* makerName;
  std::uint32_t versionWord;  // major << 16 | minor << 8 | revision
  std::uint32_t uniqueId;
  std::uint32_t makerCode;
  int parameterCount;
  int presetCount;
  int latency;
  bool handlesMidi;
  bool usesChunks;
  bool isInstrument;
};

class IEffectBase {
 public:
  using Lock = std::lock_guard<platform::PluginMutex>;

  explicit IEffectBase(const IEffectIdentity& identity);
  IEffectBase(const IEffectBase&) = delete;
  IEffectBase& operator=(const IEffectBase&) = delete;

  // -- virtual operations --------------------------------------------------
  // Host UI/dispatcher (effClose), with the mutex released.
  virtual ~IEffectBase();

  // Host UI/dispatcher, after the sample rate, block size or activation changed.
  virtual void ResetProcessing() {}
  // Host UI/dispatcher (effSetSampleRate).
  virtual void ChangeSampleRate(double rate) { sampleRate_ = rate; }
  // Host UI/dispatcher: the largest block a render call will be given.
  virtual void ChangeBlockSize(int frames) { blockSize_ = frames; }
  // Host UI/dispatcher (effMainsChanged).
  virtual void ActivationChanged(bool active) {}
  // Audio: `frames` samples of each output channel, at most one block.
  virtual void RenderBlock(double* left, double* right, int frames) = 0;

  // Audio (effProcessEvents, which hosts send from the audio thread).
  virtual void HandleMidiEvent(const IMidiEvent* event) { SendMidiEvent(event); }
  // Audio, as HandleMidiEvent.
  virtual void HandleSysEx(const IMidiSysEx* sysex) {}
  // Audio (MIDI Thru, the base HandleMidiEvent).
  virtual bool SendMidiEvent(const IMidiEvent* event) = 0;
  // Host UI/dispatcher (effGetMidiKeyName).
  virtual bool MidiKeyName(int note, char* text);

  // Any thread: audio, host UI/dispatcher (setParameter, chunks), editor.
  virtual void ParameterChanged(int index) { Lock lock(mutex_); }
  // Editor; audio (learned controllers); any thread inside ParameterChanged.
  virtual void SetParameterFromEditor(int index, double normalised);
  // Editor, without the mutex: only forwards to the host.
  virtual void BeginParameterEdit(int index) = 0;
  // As SetParameterFromEditor, which is its only caller.
  virtual void NotifyHostOfParameter(int index, double normalised) = 0;
  // Editor, without the mutex: only forwards to the host.
  virtual void EndParameterEdit(int index) = 0;
  // Host UI/dispatcher (effSetChunk, effSetProgram), editor, audio (MIDI program change).
  virtual void RefreshParameterControls();

  // Host UI/dispatcher (chunks, effSetProgram), editor (files), audio (MIDI program change).
  virtual bool SerializeCurrentState(IStateBuffer& buffer) { return SerializeParams(buffer); }
  // As SerializeCurrentState.
  virtual int UnserializeState(const IStateBuffer& buffer, int position) {
    return UnserializeParams(buffer, position);
  }
  // Walks a state as UnserializeState would read it, applying nothing:
  // the position after it, or -1 when it is truncated or holds a value that
  // is not a finite number. Lets chunk and file readers refuse bad data
  // before they change anything. Host UI/dispatcher, editor.
  virtual int MeasureState(const IStateBuffer& buffer, int position) const;
  // Writes the state at `position` into `out` as SerializeCurrentState would
  // write it once UnserializeState had taken it (values clamped to their
  // ranges), without applying it: a bank is stored slot by slot this way, so
  // only the program that becomes current reaches the instrument. The
  // position after the state, or -1. Host UI/dispatcher, editor.
  virtual int TranscribeState(const IStateBuffer& buffer, int position, IStateBuffer& out);
  // Host UI/dispatcher (bank chunks), editor (bank files).
  virtual int UnserializePresets(const IStateBuffer& buffer, int position);
  // Host UI/dispatcher (effSetProgram, effSetProgramName, chunks), editor.
  virtual void ModifyCurrentPreset(const char* name);
  // As RefreshParameterControls, and host UI/dispatcher (effSetProgramName).
  virtual void PresetListChanged() {}
  // Editor (program and bank files); the creating thread (startup bank).
  virtual void RequestHostDisplayUpdate() = 0;

  // Audio (the arpeggiator's tempo sync).
  virtual void GetHostTimeInfo(IHostTimeInfo* info) = 0;

  // Host UI/dispatcher: the editor that shows the parameters from now on,
  // or null to detach it before it goes. The caller keeps ownership.
  virtual void AttachEditor(IEditorView* editor);

  // -- parameters ---------------------------------------------------------
  int ParameterCount() const { return static_cast<int>(parameters_.size()); }
  IEffectParameter* Parameter(int index);
  const IEffectParameter* Parameter(int index) const;
  void NotifyHostOfAllParameters();
  void NotifyAllParameters();
  bool SerializeParams(IStateBuffer& buffer);
  int UnserializeParams(const IStateBuffer& buffer, int position);
  // Parameter values as UnserializeParams reads them, clamped, appended to
  // `out`; the position after them, or -1 when they run past the data.
  int TranscribeParams(const IStateBuffer& buffer, int position, IStateBuffer& out) const;

  // -- presets ------------------------------------------------------------
  int PresetCount() const { return static_cast<int>(presets_.size()); }
  int CurrentPreset() const { return currentPreset_; }
  const char* PresetName(int index) const;
  IPresetSlot* Preset(int index);
  bool SerializePresets(IStateBuffer& buffer);
  // The bank block's counterpart of MeasureState.
  int MeasurePresets(const IStateBuffer& buffer, int position) const;
  // Parameter values as UnserializeParams reads them, applying nothing.
  int MeasureParams(const IStateBuffer& buffer, int position) const;
  bool ActivatePreset(int index);
  void FillEmptyPresets(int count);
  // Any thread, lock-free: moves whenever the current program or a
  // program's name may have changed, so that a program display knows when
  // to read them again (under the mutex).
  unsigned PresetChanges() const { return presetChanges_.load(std::memory_order_acquire); }

  // -- identity and settings ----------------------------------------------
  const char* EffectName() const { return effectName_; }
  const char* ProductName() const { return productName_; }
  const char* MakerName() const { return makerName_; }
  std::uint32_t UniqueId() const { return uniqueId_; }
  std::uint32_t MakerCode() const { return makerCode_; }
  std::uint32_t VersionWord() const { return versionWord_; }
  int VersionDecimal() const;
  bool HandlesMidi() const { return handlesMidi_; }
  bool UsesChunks() const { return usesChunks_; }
  bool IsInstrument() const { return isInstrument_; }
  double SampleRate() const { return sampleRate_; }
  int BlockSize() const { return blockSize_; }
  int Latency() const { return latency_; }
  int TailSize() const { return tailSize_; }
  IEditorView* Editor() const { return editor_; }
  platform::PluginMutex& Mutex() { return mutex_; }

 private:
  platform::PluginMutex mutex_;
  char effectName_[kIdentityLength] = {};
  char productName_[kIdentityLength] = {};
  char makerName_[kIdentityLength] = {};
  std::uint32_t uniqueId_;
  std::uint32_t makerCode_;
  std::uint32_t versionWord_;
  bool usesChunks_;
  bool isInstrument_;
  bool handlesMidi_;
  int currentPreset_ = 0;
  std::atomic<unsigned> presetChanges_{0};
  double sampleRate_ = 44100.0;
  int blockSize_ = 0;
  int latency_;
  int tailSize_ = 0;
  std::vector<IEffectParameter> parameters_;
  IEditorView* editor_ = nullptr;
  std::vector<IPresetSlot> presets_;
};
