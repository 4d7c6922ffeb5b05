// A host that keeps what the plug-in tells it: automated parameters, the
// MIDI messages it sends out and how often it was asked to update its
// display. One instance at a time.
#pragma once

#include <utility>
#include <vector>

#include "plugin/MidiEvent.h"
#include "instrument/Kestrion.h"
#include "vst2/VstPlugin.h"
#include "vst2/VstAbi.h"

namespace recordinghost {

struct Recorded {
  std::vector<std::pair<int, float>> automated;  // parameter index, normalised value
  std::vector<IMidiEvent> sent;
  int displayUpdates = 0;
};

inline Recorded& Record() {
  static Recorded record;
  return record;
}

inline vst::VstIntPtr Callback(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32 index,
                               vst::VstIntPtr, void* ptr, float opt) {
  switch (opcode) {
    case vst::audioMasterVersion:
      return 2400;
    case vst::audioMasterAutomate:
      Record().automated.emplace_back(index, opt);
      return 1;
    case vst::audioMasterUpdateDisplay:
      ++Record().displayUpdates;
      return 1;
    case vst::audioMasterProcessEvents: {
      const auto* events = static_cast<const vst::VstEvents*>(ptr);
      for (int i = 0; events && i < events->numEvents; ++i) {
        const auto* midi = reinterpret_cast<const vst::VstMidiEvent*>(vst::EventEntries(*events)[i]);
        if (midi->type != vst::kVstMidiType) continue;
        IMidiEvent event;
        event.offset = midi->deltaFrames;
        event.status = static_cast<std::uint8_t>(midi->midiData[0]);
        event.data1 = static_cast<std::uint8_t>(midi->midiData[1]);
        event.data2 = static_cast<std::uint8_t>(midi->midiData[2]);
        Record().sent.push_back(event);
      }
      return 1;
    }
    default:
      return 0;
  }
}

// An opened instance at 44100 Hz, blocks of 512, processing on.
struct Instance {
  explicit Instance(EditorFactory makeEditor = nullptr) {
    effect = CreateKestrion(&Callback, makeEditor);
    Call(vst::effOpen);
    if (makeEditor) {
      int parent = 0;
      Call(vst::effEditOpen, 0, 0, &parent);
    }
    Call(vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
    Call(vst::effSetBlockSize, 0, 512);
    Call(vst::effMainsChanged, 0, 1);
    synth = InstrumentOf(effect);
    Record() = Recorded();
  }
  ~Instance() { Call(vst::effClose); }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  vst::VstIntPtr Call(vst::VstInt32 op, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                      void* ptr = nullptr, float opt = 0) {
    return effect->dispatcher(effect, op, index, value, ptr, opt);
  }

  // One effProcessEvents call with these messages.
  void Send(const std::vector<IMidiEvent>& messages) {
    std::vector<vst::VstMidiEvent> midi(messages.size());
    std::vector<vst::VstEvent*> pointers;
    for (std::size_t i = 0; i < messages.size(); ++i) {
      midi[i].type = vst::kVstMidiType;
      midi[i].byteSize = sizeof midi[i];
      midi[i].deltaFrames = messages[i].offset;
      midi[i].midiData[0] = static_cast<char>(messages[i].status);
      midi[i].midiData[1] = static_cast<char>(messages[i].data1);
      midi[i].midiData[2] = static_cast<char>(messages[i].data2);
      pointers.push_back(reinterpret_cast<vst::VstEvent*>(&midi[i]));
    }
    // VstEvents ends in a two-pointer array that hosts overallocate.
    std::vector<char> storage(sizeof(vst::VstEvents) + pointers.size() * sizeof(vst::VstEvent*));
    auto* events = reinterpret_cast<vst::VstEvents*>(storage.data());
    events->numEvents = static_cast<vst::VstInt32>(pointers.size());
    for (std::size_t i = 0; i < pointers.size(); ++i) vst::EventEntries(*events)[i] = pointers[i];
    Call(vst::effProcessEvents, 0, 0, events);
    NextBlock();
  }
  void Send(std::int32_t offset, std::uint8_t status, std::uint8_t d1, std::uint8_t d2) {
    Send({IMidiEvent{offset, status, d1, d2}});
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

  vst::AEffect* effect = nullptr;
  Kestrion* synth = nullptr;
};

}  // namespace recordinghost
