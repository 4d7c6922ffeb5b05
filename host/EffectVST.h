// The VST 2.4 wrapper of the plug-in object: the effect record the host
// holds, the dispatcher, the audio and parameter callbacks and the requests
// the plug-in sends back to the host.
#pragma once

#include "core/EffectBase.h"
#include "host/VstAbi.h"

class IEffectVST : public IEffectBase {
 public:
  IEffectVST(const IEffectIdentity& identity, vst::AudioMasterCallback host);
  ~IEffectVST() override;

  vst::AEffect* EffectRecord() { return &effect_; }
  static IEffectVST* FromRecord(vst::AEffect* effect) {
    return effect ? static_cast<IEffectVST*>(effect->object) : nullptr;
  }

  // Host requests.
  void BeginParameterEdit(int index) override;
  void NotifyHostOfParameter(int index, double normalised) override;
  void EndParameterEdit(int index) override;
  void RequestHostDisplayUpdate() override;
  void GetHostTimeInfo(IHostTimeInfo* info) override;
  int GetHostId() override;
  void PrepareForHost() override;
  void AttachEditor(IEditorView* editor) override;
  bool SendMidiEvent(const IMidiEvent* event) override;

  // The largest block the host may ask for in one process call; larger
  // requests are refused by effSetBlockSize.
  static constexpr int kMaxBlockSize = 1 << 20;
  // Chunks larger than this are refused without copying them.
  static constexpr int kMaxChunkSize = 16 << 20;

 protected:
  vst::VstIntPtr CallHost(vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0);

 private:
  void UpdateSpeakerArrangements();

  // The dispatcher (VstDispatcher.cpp).
  static vst::VstIntPtr VSTDispatcher(vst::AEffect* effect, vst::VstInt32 opcode,
                                      vst::VstInt32 index, vst::VstIntPtr value, void* ptr,
                                      float opt);
  vst::VstIntPtr Dispatch(vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr value,
                          void* ptr, float opt);
  vst::VstIntPtr StringToParameter(int index, const char* text);
  vst::VstIntPtr PinProperties(int index, vst::VstPinProperties* pin, bool output);
  void SetSpeakerArrangement(vst::VstSpeakerArrangement* arrangement, bool output);
  vst::VstIntPtr CanDo(const char* question);
  vst::VstIntPtr VendorSpecific(int index, vst::VstIntPtr value, void* ptr, float opt);

  // The state chunk (VstChunk.cpp).
  vst::VstIntPtr GetChunk(void** data, bool bank);
  vst::VstIntPtr SetChunk(const void* data, vst::VstIntPtr size, bool bank);
  void ApplyProgramChunk(const IStateBuffer& buffer, int start, int length);
  bool IsChunkHost();

  // The audio path: MIDI intake, audio and parameter callbacks (VstProcess.cpp).
  void DeliverEvents(const vst::VstEvents& events);
  static void VSTProcess(vst::AEffect* effect, float** inputs, float** outputs,
                         vst::VstInt32 frames);
  static void VSTProcessReplacing(vst::AEffect* effect, float** inputs, float** outputs,
                                  vst::VstInt32 frames);
  static void VSTProcessDoubleReplacing(vst::AEffect* effect, double** inputs, double** outputs,
                                        vst::VstInt32 frames);
  static void VSTSetParameter(vst::AEffect* effect, vst::VstInt32 index, float value);
  static float VSTGetParameter(vst::AEffect* effect, vst::VstInt32 index);
  void ProcessFloat(float** inputs, float** outputs, int frames, bool accumulate);
  void ProcessDouble(double** inputs, double** outputs, int frames);
  template <typename RenderPiece>
  void RunProcess(bool hostBuffersMissing, int frames, RenderPiece renderPiece);

  vst::ERect editorRect_{};
  vst::AudioMasterCallback host_;
  vst::VstSpeakerArrangement inputArrangement_{};
  vst::VstSpeakerArrangement outputArrangement_{};
  bool hostSetupDone_ = false;
  IStateBuffer programChunk_;
  IStateBuffer bankChunk_;
  bool chunkHostChecked_ = false;
  bool chunkHost_ = false;
  vst::AEffect effect_{};
};
