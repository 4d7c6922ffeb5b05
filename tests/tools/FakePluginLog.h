// What the tests' fake instrument records of the calls it receives. The
// tests ask for it with effVendorSpecific and read it in place; plain
// arrays only, because the record crosses from the plug-in module to the test.
#pragma once

#include <cstdint>

#include "vst2/VstAbi.h"

namespace fakeplugin {

// effVendorSpecific indices the fake answers.
constexpr vst::VstInt32 kGetLog = 0x4C6F6721;       // returns the Log of the instance
constexpr vst::VstInt32 kEmitEdit = 0x45646974;     // begin edit, automate (value = index, opt), end edit
constexpr vst::VstInt32 kEmitDisplay = 0x44697370;  // audioMasterUpdateDisplay
constexpr vst::VstInt32 kEmitMidi = 0x4D696469;     // sends a note-on and a sysex dump to the host

constexpr vst::VstInt32 kUniqueId = 0x46616B65;  // "Fake"
constexpr vst::VstInt32 kVersion = 7;
constexpr vst::VstInt32 kVendorVersion = 1234;
constexpr int kParameterCount = 3;
constexpr int kProgramCount = 2;

// The signal: left = gain × ramp + offset, right = −left, where the ramp
// rises from 0 in steps of 1/kRampLength over the frames since switch-on.
constexpr int kRampLength = 100;
constexpr float kDefaultGain = 0.5f;

struct ReceivedEvent {
  std::int32_t block;  // index of the process call that followed
  std::int32_t type;
  std::int32_t deltaFrames;
  std::uint8_t bytes[3];
  std::int32_t dumpBytes;
  std::uint8_t firstDumpByte, lastDumpByte;
};

struct ProcessedBlock {
  std::int32_t frames;
  vst::VstTimeInfo time;  // the host's answer to audioMasterGetTime, zero when none
  std::int32_t hadTime;
};

constexpr int kMaxDispatches = 512;
constexpr int kMaxEvents = 512;
constexpr int kMaxBlocks = 8192;

struct Log {
  vst::VstIntPtr versionAtCreation;  // audioMasterVersion asked without an effect record
  char vendorAtCreation[64];         // audioMasterGetVendorString asked with the record, before returning it
  char productAtCreation[64];
  vst::VstIntPtr processLevelAtOpen;    // audioMasterGetCurrentProcessLevel during effOpen
  vst::VstIntPtr sampleRateAtSwitchOn;  // audioMasterGetSampleRate during effMainsChanged(1)
  vst::VstIntPtr blockSizeAtSwitchOn;
  double sampleRate;       // from effSetSampleRate
  std::int32_t blockSize;  // from effSetBlockSize

  std::int32_t dispatchCount;
  std::int32_t dispatches[kMaxDispatches];  // opcodes in order
  std::int32_t eventCount;
  ReceivedEvent events[kMaxEvents];
  std::int32_t blockCount;
  ProcessedBlock blocks[kMaxBlocks];
};

}  // namespace fakeplugin
