// The VST 2.4 binary interface between a host and a plug-in: the records,
// opcodes and flags this code base uses, written from the published
// interface. Hosts depend on every size and offset here, so each record is
// pinned by static assertions for 64-bit Linux and 64-bit Windows.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vst {

using VstInt32 = std::int32_t;
using VstInt16 = std::int16_t;
using VstIntPtr = std::intptr_t;

struct AEffect;

using AudioMasterCallback = VstIntPtr (*)(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                          float opt);
using DispatcherProc = VstIntPtr (*)(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                     float opt);
using ProcessProc = void (*)(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames);
using ProcessDoubleProc = void (*)(AEffect* effect, double** inputs, double** outputs, VstInt32 sampleFrames);
using SetParameterProc = void (*)(AEffect* effect, VstInt32 index, float parameter);
using GetParameterProc = float (*)(AEffect* effect, VstInt32 index);

constexpr VstInt32 kEffectMagic = 0x56737450;  // "VstP"

struct AEffect {
  VstInt32 magic;
  DispatcherProc dispatcher;
  ProcessProc process;  // the accumulating call of older hosts
  SetParameterProc setParameter;
  GetParameterProc getParameter;
  VstInt32 numPrograms;
  VstInt32 numParams;
  VstInt32 numInputs;
  VstInt32 numOutputs;
  VstInt32 flags;
  VstIntPtr resvd1;
  VstIntPtr resvd2;
  VstInt32 initialDelay;
  VstInt32 realQualities;
  VstInt32 offQualities;
  float ioRatio;
  void* object;
  void* user;
  VstInt32 uniqueID;
  VstInt32 version;
  ProcessProc processReplacing;
  ProcessDoubleProc processDoubleReplacing;
  char future[56];
};

// Effect flags.
constexpr VstInt32 effFlagsHasEditor = 1 << 0;
constexpr VstInt32 effFlagsCanMono = 1 << 3;
constexpr VstInt32 effFlagsCanReplacing = 1 << 4;
constexpr VstInt32 effFlagsProgramChunks = 1 << 5;
constexpr VstInt32 effFlagsIsSynth = 1 << 8;
constexpr VstInt32 effFlagsNoSoundInStop = 1 << 9;
constexpr VstInt32 effFlagsCanDoubleReplacing = 1 << 12;

// Dispatcher opcodes (host to plug-in).
enum EffectOpcode : VstInt32 {
  effOpen = 0,
  effClose = 1,
  effSetProgram = 2,
  effGetProgram = 3,
  effSetProgramName = 4,
  effGetProgramName = 5,
  effGetParamLabel = 6,
  effGetParamDisplay = 7,
  effGetParamName = 8,
  effSetSampleRate = 10,
  effSetBlockSize = 11,
  effMainsChanged = 12,
  effEditGetRect = 13,
  effEditOpen = 14,
  effEditClose = 15,
  effEditIdle = 19,
  effIdentify = 22,
  effGetChunk = 23,
  effSetChunk = 24,
  effProcessEvents = 25,
  effCanBeAutomated = 26,
  effString2Parameter = 27,
  effGetProgramNameIndexed = 29,
  effGetInputProperties = 33,
  effGetOutputProperties = 34,
  effGetPlugCategory = 35,
  effOfflineNotify = 38,
  effSetBypass = 44,
  effProcessVarIo = 41,
  effSetSpeakerArrangement = 42,
  effGetEffectName = 45,
  effGetVendorString = 47,
  effGetProductString = 48,
  effGetVendorVersion = 49,
  effVendorSpecific = 50,
  effCanDo = 51,
  effGetTailSize = 52,
  effIdle = 53,
  effGetParameterProperties = 56,
  effGetVstVersion = 58,
  effEditKeyDown = 59,
  effEditKeyUp = 60,
  effGetMidiKeyName = 66,
  effStartProcess = 71,
  effStopProcess = 72,
  effSetProcessPrecision = 77,
  effGetSpeakerArrangement = 69,
  effBeginSetProgram = 67,
  effEndSetProgram = 68,
};

// The virtual key codes of effEditKeyDown and effEditKeyUp (`value`); a key
// with a character has it in `index` instead.
enum VirtualKey : VstInt32 {
  kVirtualKeySpace = 7,
  kVirtualKeyLeft = 11,
  kVirtualKeyUp = 12,
  kVirtualKeyRight = 13,
  kVirtualKeyDown = 14,
  kVirtualKeyNumpad0 = 24,
  kVirtualKeyNumpad9 = 33,
};

// Host callback opcodes (plug-in to host).
enum AudioMasterOpcode : VstInt32 {
  audioMasterAutomate = 0,
  audioMasterVersion = 1,
  audioMasterCurrentId = 2,
  audioMasterIdle = 3,
  audioMasterWantMidi = 6,
  audioMasterGetTime = 7,
  audioMasterProcessEvents = 8,
  audioMasterIOChanged = 13,
  audioMasterSizeWindow = 15,
  audioMasterGetSampleRate = 16,
  audioMasterGetBlockSize = 17,
  audioMasterGetCurrentProcessLevel = 23,
  audioMasterGetVendorString = 32,
  audioMasterGetProductString = 33,
  audioMasterGetVendorVersion = 34,
  audioMasterVendorSpecific = 35,
  audioMasterCanDo = 37,
  audioMasterUpdateDisplay = 42,
  audioMasterBeginEdit = 43,
  audioMasterEndEdit = 44,
};

constexpr VstInt32 kPlugCategEffect = 1;
constexpr VstInt32 kPlugCategSynth = 2;

constexpr VstInt32 kVstProcessLevelUnknown = 0;
constexpr VstInt32 kVstProcessLevelUser = 1;
constexpr VstInt32 kVstProcessLevelRealtime = 2;
constexpr VstInt32 kVstProcessLevelPrefetch = 3;
constexpr VstInt32 kVstProcessLevelOffline = 4;

constexpr VstInt32 kVstVersion = 2400;

// Events.
constexpr VstInt32 kVstMidiType = 1;
constexpr VstInt32 kVstSysExType = 6;

struct VstEvent {
  VstInt32 type;
  VstInt32 byteSize;
  VstInt32 deltaFrames;
  VstInt32 flags;
  char data[16];
};

struct VstEvents {
  VstInt32 numEvents;
  VstIntPtr reserved;
  VstEvent* events[2];  // numEvents entries in fact; hosts allocate more
};

// The entries of a list, read and written through a pointer: indexing the
// declared two-entry array past its end is undefined, and the sanitizers
// stop there on any list longer than two.
inline VstEvent* const* EventEntries(const VstEvents& list) { return list.events; }
inline VstEvent** EventEntries(VstEvents& list) { return list.events; }

struct VstMidiEvent {
  VstInt32 type;
  VstInt32 byteSize;
  VstInt32 deltaFrames;
  VstInt32 flags;
  VstInt32 noteLength;
  VstInt32 noteOffset;
  char midiData[4];
  char detune;
  char noteOffVelocity;
  char reserved1;
  char reserved2;
};

struct VstMidiSysexEvent {
  VstInt32 type;
  VstInt32 byteSize;
  VstInt32 deltaFrames;
  VstInt32 flags;
  VstInt32 dumpBytes;
  VstIntPtr resvd1;
  char* sysexDump;
  VstIntPtr resvd2;
};

// Transport.
enum VstTimeInfoFlags : VstInt32 {
  kVstTransportChanged = 1,
  kVstTransportPlaying = 1 << 1,
  kVstTransportCycleActive = 1 << 2,
  kVstTransportRecording = 1 << 3,
  kVstNanosValid = 1 << 8,
  kVstPpqPosValid = 1 << 9,
  kVstTempoValid = 1 << 10,
  kVstBarsValid = 1 << 11,
  kVstCyclePosValid = 1 << 12,
  kVstTimeSigValid = 1 << 13,
  kVstSmpteValid = 1 << 14,
  kVstClockValid = 1 << 15,
};

struct VstTimeInfo {
  double samplePos;
  double sampleRate;
  double nanoSeconds;
  double ppqPos;
  double tempo;
  double barStartPos;
  double cycleStartPos;
  double cycleEndPos;
  VstInt32 timeSigNumerator;
  VstInt32 timeSigDenominator;
  VstInt32 smpteOffset;
  VstInt32 smpteFrameRate;
  VstInt32 samplesToNextClock;
  VstInt32 flags;
};

// Editor.
struct ERect {
  VstInt16 top;
  VstInt16 left;
  VstInt16 bottom;
  VstInt16 right;
};

// Pins and speakers.
constexpr VstInt32 kVstPinIsActive = 1 << 0;
constexpr VstInt32 kVstPinIsStereo = 1 << 1;
constexpr VstInt32 kVstPinUseSpeaker = 1 << 2;

struct VstPinProperties {
  char label[64];
  VstInt32 flags;
  VstInt32 arrangementType;
  char shortLabel[8];
  char future[48];
};

constexpr VstInt32 kSpeakerArrUserDefined = -2;
constexpr VstInt32 kSpeakerArrEmpty = -1;
constexpr VstInt32 kSpeakerArrMono = 0;
constexpr VstInt32 kSpeakerArrStereo = 1;

struct VstSpeakerProperties {
  float azimuth;
  float elevation;
  float radius;
  float reserved;
  char name[64];
  VstInt32 type;
  char future[28];
};

struct VstSpeakerArrangement {
  VstInt32 type;
  VstInt32 numChannels;
  VstSpeakerProperties speakers[8];
};

struct MidiKeyName {
  VstInt32 thisProgramIndex;
  VstInt32 thisKeyNumber;
  char keyName[64];
  VstInt32 reserved;
  VstInt32 flags;
};

// Both targets are LP64 / LLP64 64-bit: pointers and VstIntPtr are 8 bytes,
// VstInt32 is 4, and these layouts are what every 64-bit host expects.
static_assert(sizeof(void*) == 8, "64-bit targets only");
static_assert(sizeof(AEffect) == 192);
static_assert(offsetof(AEffect, dispatcher) == 8);
static_assert(offsetof(AEffect, numPrograms) == 40);
static_assert(offsetof(AEffect, flags) == 56);
static_assert(offsetof(AEffect, initialDelay) == 80);
static_assert(offsetof(AEffect, ioRatio) == 92);
static_assert(offsetof(AEffect, object) == 96);
static_assert(offsetof(AEffect, uniqueID) == 112);
static_assert(offsetof(AEffect, processReplacing) == 120);
static_assert(offsetof(AEffect, processDoubleReplacing) == 128);
static_assert(sizeof(VstEvent) == 32);
static_assert(sizeof(VstEvents) == 32 && offsetof(VstEvents, events) == 16);
static_assert(sizeof(VstMidiEvent) == 32 && offsetof(VstMidiEvent, midiData) == 24);
static_assert(sizeof(VstMidiSysexEvent) == 48 && offsetof(VstMidiSysexEvent, sysexDump) == 32);
static_assert(sizeof(VstTimeInfo) == 88 && offsetof(VstTimeInfo, flags) == 84);
static_assert(offsetof(VstTimeInfo, timeSigNumerator) == 64);
static_assert(sizeof(ERect) == 8);
static_assert(sizeof(VstPinProperties) == 128 && offsetof(VstPinProperties, flags) == 64);
static_assert(sizeof(VstSpeakerProperties) == 112);
static_assert(sizeof(VstSpeakerArrangement) == 904);
static_assert(sizeof(MidiKeyName) == 80 && offsetof(MidiKeyName, keyName) == 8);

}  // namespace vst
