// Kestrion as a VST 2.4 plug-in: the effect record the host holds, the
// dispatcher, the state chunk, the audio and parameter callbacks and the
// requests sent back to the host. It owns the instrument and its editor and
// is the only code that knows the VST 2.4 interface.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "instrument/HostLink.h"
#include "instrument/Kestrion.h"
#include "instrument/panel/PanelEditor.h"
#include "ui/EditorWindow.h"
#include "vst2/VstAbi.h"

class VstPlugin final : public HostLink {
 public:
  // The creating thread. Throws when the instrument cannot be made.
  VstPlugin(vst::AudioMasterCallback host, EditorFactory makeEditor);
  ~VstPlugin() override;
  VstPlugin(const VstPlugin&) = delete;
  VstPlugin& operator=(const VstPlugin&) = delete;

  vst::AEffect* EffectRecord() { return &effect_; }
  static VstPlugin* FromRecord(vst::AEffect* effect) {
    return effect ? static_cast<VstPlugin*>(effect->object) : nullptr;
  }
  Kestrion& Instrument() { return *instrument_; }
  // The editor while the host has it open, else null.
  panel::PanelEditor* Editor() { return editor_.get(); }

  // HostLink.
  void BeginEdit(int index) override;
  void PerformEdit(int index, double normalised) override;
  void EndEdit(int index) override;
  void ProgramListChanged() override;
  bool SendMidi(const MidiEvent& event) override;
  void ReadTransport(HostTimeInfo& info) override;

  // The largest block the host may ask for in one process call; larger
  // requests are refused by effSetBlockSize.
  static constexpr int kMaxBlockSize = 1 << 20;
  // Chunks larger than this are refused without copying them.
  static constexpr int kMaxChunkSize = 16 << 20;
  static constexpr int kInputCount = 0;
  static constexpr int kOutputCount = 2;
  static constexpr const char* kOutputLabel = "Kestrion ";

 private:
  vst::VstIntPtr CallHost(vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0, void* ptr = nullptr,
                          float opt = 0);
  void ChangeBlockSize(int frames);

  // The dispatcher (VstDispatcher.cpp).
  static vst::VstIntPtr VSTDispatcher(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index,
                                      vst::VstIntPtr value, void* ptr, float opt);
  vst::VstIntPtr Dispatch(vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr value, void* ptr, float opt);
  vst::VstIntPtr StringToParameter(int index, const char* text);
  vst::VstIntPtr PinProperties(int index, vst::VstPinProperties* pin, bool output);
  void SetSpeakerArrangement(vst::VstSpeakerArrangement* arrangement, bool output);
  vst::VstIntPtr CanDo(const char* question);
  vst::VstIntPtr VendorSpecific(int index, vst::VstIntPtr value, void* ptr, float opt);
  void Idle(bool editorIdle);
  // Host UI/dispatcher, under the mutex: the editor, made when the host
  // first asks for it or its size; the rectangle effEditGetRect reports
  // follows it.
  void MakeEditor();
  void SetEditorRect(int width, int height);
  // Host UI/dispatcher, without the mutex: the editor's own thread may be
  // waiting for it, and opening a window again or closing it stops that
  // thread first.
  vst::VstIntPtr OpenEditor(void* parent);
  vst::VstIntPtr CloseEditor();
  // effEditKeyDown / effEditKeyUp: 1 when the editor took the key.
  vst::VstIntPtr EditorKey(bool down, int character, vst::VstIntPtr virtualKey);
  // The editor's thread, or the host's while it opens the editor, holding
  // no lock: asks the host for a window of that size, and resizes the
  // host's window itself when the host does not answer.
  void FitHostWindow(int width, int height);

  // The state chunk (VstChunk.cpp).
  vst::VstIntPtr GetChunk(void** data, bool bank);
  vst::VstIntPtr SetChunk(const void* data, vst::VstIntPtr size, bool bank);
  void ApplyProgramChunk(const StateBuffer& buffer, int start, int length);
  bool IsChunkHost();

  // The audio path: MIDI intake, audio and parameter callbacks (VstProcess.cpp).
  void DeliverEvents(const vst::VstEvents& events);
  static void VSTProcess(vst::AEffect* effect, float** inputs, float** outputs, vst::VstInt32 frames);
  static void VSTProcessReplacing(vst::AEffect* effect, float** inputs, float** outputs, vst::VstInt32 frames);
  static void VSTProcessDoubleReplacing(vst::AEffect* effect, double** inputs, double** outputs, vst::VstInt32 frames);
  static void VSTSetParameter(vst::AEffect* effect, vst::VstInt32 index, float value);
  static float VSTGetParameter(vst::AEffect* effect, vst::VstInt32 index);
  void ProcessFloat(float** inputs, float** outputs, int frames, bool accumulate);
  void ProcessDouble(double** inputs, double** outputs, int frames);
  template <typename RenderPiece, typename Silence>
  void RunProcess(bool hostBuffersMissing, int frames, RenderPiece renderPiece, Silence silence);
  void RenderPointers(int frames);

  vst::AudioMasterCallback host_;
  EditorFactory makeEditor_;
  vst::AEffect effect_{};
  vst::ERect editorRect_{};  // under the mutex
  // The size asked of the host while the panel changes size (height << 16
  // | width), else 0: a host may ask for the rectangle meanwhile, from any
  // thread.
  std::atomic<std::uint32_t> askedSize_{0};
  bool editorDrivesItself_ = false;
  int heldKey_ = -1;  // the key whose press the editor took, until its release
  vst::VstSpeakerArrangement inputArrangement_{};
  vst::VstSpeakerArrangement outputArrangement_{};
  // What the render writes each output channel into: the host's double
  // buffer, or the scratch that stands in for a float buffer or an
  // unconnected channel.
  struct OutputChannel {
    bool connected = true;
    float* hostBuffer = nullptr;  // the host's float buffer of this call
    std::vector<double> scratch;
  };
  OutputChannel outputs_[kOutputCount];
  double* outputPointers_[kOutputCount] = {};
  int blockSize_ = 0;
  StateBuffer programChunk_;
  StateBuffer bankChunk_;
  std::atomic<int> chunkHost_{-1};  // -1 until the host was asked
  std::unique_ptr<Kestrion> instrument_;
  std::unique_ptr<panel::PanelEditor> editor_;
};

// A new instance as a host gets it (one created at a time across the
// process, its empty program slots filled): its effect record, or null.
vst::AEffect* CreateKestrion(vst::AudioMasterCallback host, EditorFactory makeEditor = nullptr);

// The instance behind an effect record, and its editor while it is open,
// for tests and tools that look inside.
Kestrion* InstrumentOf(vst::AEffect* effect);
panel::PanelEditor* EditorOf(vst::AEffect* effect);
