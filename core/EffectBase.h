// The host-independent plug-in object: parameters, program slots, channels,
// identity, processing settings and the plug-in mutex, plus the virtual
// operations through which the host wrapper, the shell and the instrument
// cooperate. Keep the virtual operations in this order: it is the object's
// contract with the layers above.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "core/Channel.h"
#include "core/EffectParameter.h"
#include "core/HostTimeInfo.h"
#include "core/MidiEvent.h"
#include "core/PresetSlot.h"
#include "core/StateBuffer.h"
#include "core/Text.h"

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
  const char* channelConfiguration;  // e.g. "0-1 0-2"
  int latency;
  bool handlesMidi;
  bool usesChunks;
  bool isInstrument;
};

class IEffectBase {
 public:
  using Lock = std::lock_guard<std::recursive_mutex>;

  explicit IEffectBase(const IEffectIdentity& identity);
  IEffectBase(const IEffectBase&) = delete;
  IEffectBase& operator=(const IEffectBase&) = delete;

  // -- virtual operations, in their fixed order --------------------------
  virtual ~IEffectBase();
  virtual void ResetProcessing() {}
  virtual void ParameterChanged(int index) { Lock lock(mutex_); }
  virtual void RenderBlock(double** inputs, double** outputs, int frames);
  virtual void EditorOpened() {}
  virtual void EditorClosed() {}
  virtual void IdleTick() {}
  virtual void ActivationChanged(bool active) {}
  virtual void HandleMidiEvent(const IMidiEvent* event) { SendMidiEvent(event); }
  virtual void HandleSysEx(const IMidiSysEx* sysex) {}
  virtual bool MidiKeyName(int note, char* text);
  virtual bool SerializeCurrentState(IStateBuffer& buffer) { return SerializeParams(buffer); }
  virtual int UnserializeState(const IStateBuffer& buffer, int position) {
    return UnserializeParams(buffer, position);
  }
  virtual bool StateEquals(const double* values, int start) const;
  virtual void EditorResized() {}
  virtual bool ReservedHook15() { return false; }
  virtual void HostIdentified() {}
  virtual void ReservedHook17(int index, int x, int y) {}
  virtual void SetParameterFromEditor(int index, double normalised);
  virtual void BeginParameterEdit(int index) = 0;
  virtual void NotifyHostOfParameter(int index, double normalised) = 0;
  virtual void EndParameterEdit(int index) = 0;
  virtual void RequestHostDisplayUpdate() = 0;
  virtual bool IsOfflineRender() { return false; }
  virtual int GetHostSamplePosition() = 0;
  virtual double GetHostTempo() = 0;
  virtual void GetHostTimeSignature(int* numerator, int* denominator) = 0;
  virtual void GetHostTimeInfo(IHostTimeInfo* info) = 0;
  virtual int GetHostId() { return hostNumber_; }
  virtual int ReservedAccessor29() { return 0; }
  virtual void ResizeEditor() = 0;
  virtual void PrepareForHost() {}
  virtual void AttachEditor(IEditorView* editor);
  virtual void SetLatencySamples(int samples) { latency_ = samples; }
  virtual bool SendMidiEvent(const IMidiEvent* event) = 0;
  virtual bool SendSysExEvent(const IMidiSysEx* sysex) { return false; }
  virtual void RefreshParameterControls();
  virtual int UnserializePresets(const IStateBuffer& buffer, int position);
  virtual void ModifyCurrentPreset(const char* name);
  virtual void ReservedHook39() {}
  virtual void PresetListChanged() {}
  virtual void ChangeSampleRate(double rate) { sampleRate_ = rate; }
  virtual void ChangeBlockSize(int frames);
  // Walks a state as UnserializeState would read it, applying nothing:
  // the position after it, or -1 when it is truncated or holds a value that
  // is not a finite number. Lets chunk and file readers refuse bad data
  // before they change anything.
  virtual int MeasureState(const IStateBuffer& buffer, int position) const;

  // -- parameters ---------------------------------------------------------
  int ParameterCount() const { return static_cast<int>(parameters_.size()); }
  IEffectParameter* Parameter(int index);
  const IEffectParameter* Parameter(int index) const;
  void NotifyHostOfAllParameters();
  void NotifyAllParameters();
  bool SerializeParams(IStateBuffer& buffer);
  int UnserializeParams(const IStateBuffer& buffer, int position);

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

  // -- channels -----------------------------------------------------------
  int InputCount() const { return static_cast<int>(inputs_.size()); }
  int OutputCount() const { return static_cast<int>(outputs_.size()); }
  IChannel& Input(int i) { return inputs_[static_cast<size_t>(i)]; }
  IChannel& Output(int i) { return outputs_[static_cast<size_t>(i)]; }
  double** InputPointers() { return inputPointers_.empty() ? nullptr : inputPointers_.data(); }
  double** OutputPointers() { return outputPointers_.empty() ? nullptr : outputPointers_.data(); }
  bool LegalIO(int inputs, int outputs) const;
  void RestrictToStereo();

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
  unsigned HostVersion() const { return hostVersion_; }
  IEditorView* Editor() const { return editor_.get(); }
  std::recursive_mutex& Mutex() { return mutex_; }

 protected:
  int hostNumber_ = -1;
  unsigned hostVersion_ = 0;

 private:
  struct ChannelConfiguration {
    int inputs;
    int outputs;
  };

  std::vector<ChannelConfiguration> configurations_;
  std::recursive_mutex mutex_;
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
  double sampleRate_ = 44100.0;
  int blockSize_ = 0;
  int latency_;
  int tailSize_ = 0;
  std::vector<IEffectParameter> parameters_;
  std::unique_ptr<IEditorView> editor_;
  std::vector<IPresetSlot> presets_;
  std::vector<double*> inputPointers_;
  std::vector<double*> outputPointers_;
  std::vector<IChannel> inputs_;
  std::vector<IChannel> outputs_;
};
