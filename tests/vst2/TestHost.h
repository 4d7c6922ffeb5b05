// A minimal host for driving an instance through its effect record, and one
// that keeps what the plug-in tells it: automated parameters, the MIDI
// messages it sends out and how often it was asked to update its display.
#pragma once

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "instrument/Kestrion.h"
#include "plugin/MidiEvent.h"
#include "ui/HeadlessEditor.h"
#include "vst2/VstAbi.h"
#include "vst2/VstPlugin.h"

namespace testhost {

inline std::string& Vendor() {
  static std::string vendor;
  return vendor;
}

inline vst::VstIntPtr Callback(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void* ptr, float) {
  if (opcode == vst::audioMasterVersion) return 2400;
  if (opcode == vst::audioMasterGetVendorString && ptr) {
    std::strcpy(static_cast<char*>(ptr), Vendor().c_str());
    return 1;
  }
  return 0;
}

struct Recorded {
  std::vector<std::pair<int, float>> automated;  // parameter index, normalised value
  std::vector<MidiEvent> sent;
  int displayUpdates = 0;
};

inline Recorded& Record() {
  static Recorded record;
  return record;
}

// Records as it answers: for one instance at a time, on one thread.
inline vst::VstIntPtr RecordingCallback(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index,
                                        vst::VstIntPtr value, void* ptr, float opt) {
  switch (opcode) {
    case vst::audioMasterAutomate: Record().automated.emplace_back(index, opt); return 1;
    case vst::audioMasterUpdateDisplay: ++Record().displayUpdates; return 1;
    case vst::audioMasterProcessEvents: {
      const auto* events = static_cast<const vst::VstEvents*>(ptr);
      for (int i = 0; events && i < events->numEvents; ++i) {
        const auto* midi = reinterpret_cast<const vst::VstMidiEvent*>(vst::EventEntries(*events)[i]);
        if (midi->type != vst::kVstMidiType) continue;
        Record().sent.push_back({midi->deltaFrames, static_cast<std::uint8_t>(midi->midiData[0]),
                                 static_cast<std::uint8_t>(midi->midiData[1]),
                                 static_cast<std::uint8_t>(midi->midiData[2])});
      }
      return 1;
    }
    default: return Callback(effect, opcode, index, value, ptr, opt);
  }
}

// One MIDI message as hosts hand it over, `offset` frames into the block.
inline vst::VstMidiEvent VstMidi(int status, int data1, int data2, int offset = 0) {
  vst::VstMidiEvent midi{};
  midi.type = vst::kVstMidiType;
  midi.byteSize = sizeof midi;
  midi.deltaFrames = offset;
  midi.midiData[0] = static_cast<char>(status);
  midi.midiData[1] = static_cast<char>(data1);
  midi.midiData[2] = static_cast<char>(data2);
  return midi;
}

// A list of any length for effProcessEvents: VstEvents ends in a
// two-pointer array that hosts overallocate.
class EventList {
 public:
  explicit EventList(std::vector<vst::VstMidiEvent> midi)
      : midi_(std::move(midi)), storage_(sizeof(vst::VstEvents) + midi_.size() * sizeof(vst::VstEvent*)) {
    List()->numEvents = static_cast<vst::VstInt32>(midi_.size());
    for (std::size_t i = 0; i < midi_.size(); ++i)
      vst::EventEntries(*List())[i] = reinterpret_cast<vst::VstEvent*>(&midi_[i]);
  }
  vst::VstEvents* List() { return reinterpret_cast<vst::VstEvents*>(storage_.data()); }

 private:
  std::vector<vst::VstMidiEvent> midi_;
  std::vector<char> storage_;
};

// An editor without a window for an instance's panel.
inline Editor* MakeHeadlessEditor(EditorDelegate* plugin, int width, int height) {
  return new HeadlessEditor(plugin, width, height);
}

struct Instance {
  explicit Instance(const char* vendor = "", EditorFactory makeEditor = nullptr,
                    vst::AudioMasterCallback callback = &Callback) {
    Vendor() = vendor;
    effect = CreateKestrion(callback, makeEditor);
    synth = InstrumentOf(effect);
    Call(vst::effOpen);
    // An instance given an editor has it open, as a host would.
    if (makeEditor) {
      int parent = 0;
      Call(vst::effEditOpen, 0, 0, &parent);
    }
  }
  ~Instance() { Call(vst::effClose); }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  vst::VstIntPtr Call(vst::VstInt32 op, vst::VstInt32 index = 0, vst::VstIntPtr value = 0, void* ptr = nullptr,
                      float opt = 0) {
    return effect->dispatcher(effect, op, index, value, ptr, opt);
  }
  // One MIDI message for the next block; allocates nothing.
  void Midi(int status, int data1, int data2, int offset = 0) {
    vst::VstMidiEvent midi = VstMidi(status, data1, data2, offset);
    vst::VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<vst::VstEvent*>(&midi);
    Call(vst::effProcessEvents, 0, 0, &events);
  }
  // One effProcessEvents call with these messages, taken at once.
  void Send(const std::vector<MidiEvent>& messages) {
    std::vector<vst::VstMidiEvent> midi;
    for (const MidiEvent& m : messages) midi.push_back(VstMidi(m.status, m.data1, m.data2, m.offset));
    Call(vst::effProcessEvents, 0, 0, EventList(midi).List());
    NextBlock();
  }
  void Send(std::int32_t offset, std::uint8_t status, std::uint8_t d1, std::uint8_t d2) {
    Send({MidiEvent{offset, status, d1, d2}});
  }
  void Render(int frames) {
    std::vector<float> left(frames), right(frames);
    float* outputs[2] = {left.data(), right.data()};
    effect->processReplacing(effect, nullptr, outputs, frames);
  }
  // The host moving a parameter (normalised); the engine takes it at the
  // next block.
  void SetParameter(int index, float value) {
    effect->setParameter(effect, index, value);
    NextBlock();
  }
  // A process call of no samples: the engine takes the messages and the
  // changes waiting for it, as at the start of any block.
  void NextBlock() { effect->processReplacing(effect, nullptr, nullptr, 0); }
  std::string Text(vst::VstInt32 op, int index) {
    char buffer[300] = {};
    Call(op, index, 0, buffer);
    return buffer;
  }

  vst::AEffect* effect = nullptr;
  Kestrion* synth = nullptr;
};

// Everything a load could change: every slot's values and name (the whole
// bank chunk), the current program's edited values, and which slot is selected.
inline std::string Snapshot(Instance& instance) {
  std::string state;
  for (int index = 0; index < 2; ++index) {
    void* data = nullptr;
    const vst::VstIntPtr size = instance.Call(vst::effGetChunk, index, 0, &data);
    state.append(static_cast<const char*>(data), static_cast<std::size_t>(size));
  }
  return state + std::to_string(instance.Call(vst::effGetProgram));
}

// An opened instance at 44100 Hz, blocks of 512, processing on, with
// nothing recorded yet.
struct PlayingInstance : Instance {
  explicit PlayingInstance(EditorFactory makeEditor = nullptr) : Instance("", makeEditor, &RecordingCallback) {
    Call(vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
    Call(vst::effSetBlockSize, 0, 512);
    Call(vst::effMainsChanged, 0, 1);
    Record() = Recorded();
  }
};

}  // namespace testhost
