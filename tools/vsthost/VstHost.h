// A small VST 2.4 host: loads one plug-in file, creates one instance and
// drives it only through its effect record, answering the instance's calls
// back. Used by the renderer and by the tests that load plug-ins.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/DynamicLibrary.h"
#include "vst2/VstAbi.h"

namespace vsthost {

// One message the instance sent to the host or the host sends to it.
struct MidiMessage {
  std::int32_t deltaFrames = 0;
  std::vector<std::uint8_t> bytes;  // a short message, or a whole F0 ... F7 dump
};

// What the instance reported through automate, begin/end edit and display update.
struct EditNotice {
  enum Kind { kAutomate, kBeginEdit, kEndEdit, kUpdateDisplay };
  Kind kind = kAutomate;
  std::int32_t index = 0;
  float value = 0;
};

// A window size the instance asked for with audioMasterSizeWindow.
struct WindowSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// The transport as the host reports it to audioMasterGetTime.
struct Transport {
  double samplePos = 0;
  double ppqPos = 0;
  double tempo = 120;
  double barStartPos = 0;
  std::int32_t timeSigNumerator = 4;
  std::int32_t timeSigDenominator = 4;
  bool playing = false;
};

class VstHost {
 public:
  VstHost();
  ~VstHost();  // closes the instance (effClose) and unloads the file
  VstHost(const VstHost&) = delete;
  VstHost& operator=(const VstHost&) = delete;

  // Settings the callback reports; set them before Load when the plug-in asks
  // during its creation.
  void SetVendorString(const std::string& text);
  void SetProductString(const std::string& text);
  void SetVendorVersion(std::int32_t version);
  void SetProcessLevel(std::int32_t level);
  // A scanner answers 0 to every request, as plug-in scanners of some hosts do.
  void SetScanner(bool scanner);
  // Whether audioMasterSizeWindow answers 1 (the host resizes its window,
  // the default) or 0, as hosts that cannot resize theirs do.
  void SetSizeWindowAnswer(bool resizes);

  // Loads the file and creates the instance; false with a one-line reason.
  bool Load(const std::string& path, std::string* error);
  vst::AEffect* Effect() const { return effect_; }

  // Dispatcher, raw and wrapped.
  vst::VstIntPtr Dispatch(vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0, void* ptr = nullptr,
                          float opt = 0) const;
  void Open();
  void Close();  // effClose; the instance is gone afterwards
  void SetSampleRate(double rate);
  void SetBlockSize(std::int32_t frames);
  void SetActive(bool on);  // effMainsChanged
  void SetProgram(std::int32_t program);
  std::int32_t Program() const;
  std::string ProgramName() const;
  std::string ProgramNameIndexed(std::int32_t program) const;
  std::string ParameterName(std::int32_t index) const;
  std::string ParameterLabel(std::int32_t index) const;
  std::string ParameterDisplay(std::int32_t index) const;
  bool StringToParameter(std::int32_t index, const std::string& text) const;
  std::string EffectName() const;
  std::string PluginVendor() const;
  std::string PluginProduct() const;
  std::int32_t PluginVendorVersion() const;
  vst::VstIntPtr CanDo(const std::string& question) const;

  void SetParameter(std::int32_t index, float value) const;
  float GetParameter(std::int32_t index) const;

  // Sends the messages in one effProcessEvents call; short messages become
  // VstMidiEvents, F0 dumps VstMidiSysexEvents.
  vst::VstIntPtr SendMidi(const std::vector<MidiMessage>& messages);

  // One block through processReplacing, or through the accumulating process
  // onto cleared outputs when the plug-in cannot replace.
  void Process(float** inputs, float** outputs, std::int32_t frames) const;
  void ProcessDouble(double** inputs, double** outputs, std::int32_t frames) const;

  void SetTransport(const Transport& transport);
  Transport CurrentTransport() const;

  // What the callback saw, for the tests.
  std::int64_t CallCount(vst::VstInt32 opcode) const;
  std::vector<EditNotice> EditNotices() const;
  std::vector<MidiMessage> MidiOutput() const;
  // The sizes asked for with audioMasterSizeWindow, whatever the answer.
  std::vector<WindowSize> SizeRequests() const;
  void ClearLog();

  // The callback every instance receives; finds its host by the effect record.
  static vst::VstIntPtr Callback(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr value,
                                 void* ptr, float opt);
  // True while the calling thread is inside Callback: a watch of what a
  // plug-in does on its audio thread leaves the host's own work out.
  static bool InCallback();

 private:
  vst::VstIntPtr Answer(vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr value, void* ptr, float opt);
  std::string DispatchText(vst::VstInt32 opcode, vst::VstInt32 index) const;
  void Unload();

  platform::DynamicLibrary library_;
  vst::AEffect* effect_ = nullptr;

  // Everything below is shared with the callback, which may run on any thread.
  mutable std::mutex mutex_;
  std::string vendor_ = "Kestrion";
  std::string product_ = "kestrion-render";
  std::int32_t vendorVersion_ = 1;
  std::int32_t processLevel_ = vst::kVstProcessLevelRealtime;
  bool scanner_ = false;
  bool resizesWindow_ = true;
  double sampleRate_ = 44100;
  std::int32_t blockSize_ = 512;
  Transport transport_;
  bool transportChanged_ = true;
  std::map<vst::VstInt32, std::int64_t> callCounts_;
  std::vector<EditNotice> editNotices_;
  std::vector<MidiMessage> midiOutput_;
  std::vector<WindowSize> sizeRequests_;

  // Storage of the last SendMidi call; plug-ins may look at it until the next block.
  std::vector<vst::VstMidiEvent> shortEvents_;
  std::vector<vst::VstMidiSysexEvent> sysexEvents_;
  std::vector<std::vector<char>> sysexData_;
  std::vector<unsigned char> eventList_;  // a VstEvents with room for every entry
};

}  // namespace vsthost
