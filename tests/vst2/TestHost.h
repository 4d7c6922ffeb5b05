// A minimal host for driving an instance through its effect record.
#pragma once

#include <cstring>
#include <string>

#include "ui/HeadlessGraphics.h"
#include "instrument/Kestrion.h"
#include "vst2/VstPlugin.h"
#include "vst2/VstAbi.h"

namespace testhost {

inline std::string& Vendor() {
  static std::string vendor;
  return vendor;
}

inline vst::VstIntPtr Callback(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr,
                               void* ptr, float) {
  if (opcode == vst::audioMasterVersion) return 2400;
  if (opcode == vst::audioMasterGetVendorString && ptr) {
    std::strcpy(static_cast<char*>(ptr), Vendor().c_str());
    return 1;
  }
  return 0;
}

// An editor without a window for an instance's panel.
inline IGraphics* HeadlessEditor(EditorDelegate* plugin, int width, int height) {
  return new IGraphicsHeadless(plugin, width, height);
}

struct Instance {
  explicit Instance(const char* vendor = "", EditorFactory makeEditor = nullptr) {
    Vendor() = vendor;
    effect = CreateKestrion(&Callback, makeEditor);
    Call(vst::effOpen);
    // An instance given an editor has it open, as a host would.
    if (makeEditor) {
      int parent = 0;
      Call(vst::effEditOpen, 0, 0, &parent);
    }
  }
  ~Instance() { Call(vst::effClose); }
  vst::VstIntPtr Call(vst::VstInt32 op, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                      void* ptr = nullptr, float opt = 0) {
    return effect->dispatcher(effect, op, index, value, ptr, opt);
  }
  // One MIDI message at the start of the next block.
  void Midi(int status, int data1, int data2) {
    vst::VstMidiEvent midi{};
    midi.type = vst::kVstMidiType;
    midi.byteSize = sizeof midi;
    midi.midiData[0] = static_cast<char>(status);
    midi.midiData[1] = static_cast<char>(data1);
    midi.midiData[2] = static_cast<char>(data2);
    vst::VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<vst::VstEvent*>(&midi);
    Call(vst::effProcessEvents, 0, 0, &events);
  }
  std::string Text(vst::VstInt32 op, int index) {
    char buffer[300] = {};
    Call(op, index, 0, buffer);
    return buffer;
  }
  vst::AEffect* effect;
};

}  // namespace testhost
