// The VST 3 interfaces Kestrion implements and calls, declared from the
// published interface: the reference-counted base interface and its ids,
// the factory, the component with its audio processor and edit controller,
// units and program lists, MIDI mapping, the plug-in view with its frame and
// the Linux run loop, streams, parameter changes, events, and the process
// data and context. Only what the plug-in and its test host use is here.
//
// Layout rules the interface fixes: an interface is a class of pure virtual
// calls in the published order with no virtual destructor, so its table
// matches the host's on both systems; structures keep their natural
// alignment except the two note-expression events, packed to 4 bytes. The
// static assertions pin the sizes hosts rely on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vst3 {

using int8 = char;
using uint8 = std::uint8_t;
using int16 = std::int16_t;
using uint16 = std::uint16_t;
using int32 = std::int32_t;
using uint32 = std::uint32_t;
using int64 = std::int64_t;
using uint64 = std::uint64_t;
using tresult = int32;
using TBool = uint8;
using char8 = char;
using char16 = char16_t;
using TChar = char16;
using FIDString = const char8*;
using TUID = char[16];

using String128 = TChar[128];
using MediaType = int32;
using BusDirection = int32;
using BusType = int32;
using IoMode = int32;
using UnitID = int32;
using ParamValue = double;
using ParamID = uint32;
using ProgramListID = int32;
using CtrlNumber = int16;
using TQuarterNotes = double;
using TSamples = int64;
using Sample32 = float;
using Sample64 = double;
using SampleRate = double;
using SpeakerArrangement = uint64;

// Results. Windows keeps the system's COM codes; other systems number them.
#ifdef _WIN32
constexpr tresult kNoInterface = static_cast<tresult>(0x80004002L);
constexpr tresult kResultOk = 0;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = static_cast<tresult>(0x80070057L);
constexpr tresult kNotImplemented = static_cast<tresult>(0x80004001L);
constexpr tresult kInternalError = static_cast<tresult>(0x80004005L);
constexpr tresult kNotInitialized = static_cast<tresult>(0x8000FFFFL);
constexpr tresult kOutOfMemory = static_cast<tresult>(0x8007000EL);
#else
constexpr tresult kNoInterface = -1;
constexpr tresult kResultOk = 0;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = 2;
constexpr tresult kNotImplemented = 3;
constexpr tresult kInternalError = 4;
constexpr tresult kNotInitialized = 5;
constexpr tresult kOutOfMemory = 6;
#endif
constexpr tresult kResultTrue = kResultOk;

// -- ids ------------------------------------------------------------------------------
// An id is written as four 32-bit numbers. Windows lays the first half out
// as the system's GUID (little-endian fields); other systems byte by byte.
struct Uid {
  char bytes[16];
};

constexpr char Byte(uint32 value, int shift) { return static_cast<char>((value >> shift) & 0xFF); }

constexpr Uid MakeUid(uint32 l1, uint32 l2, uint32 l3, uint32 l4) {
#ifdef _WIN32
  return {{Byte(l1, 0), Byte(l1, 8), Byte(l1, 16), Byte(l1, 24), Byte(l2, 16), Byte(l2, 24), Byte(l2, 0), Byte(l2, 8),
           Byte(l3, 24), Byte(l3, 16), Byte(l3, 8), Byte(l3, 0), Byte(l4, 24), Byte(l4, 16), Byte(l4, 8), Byte(l4, 0)}};
#else
  return {{Byte(l1, 24), Byte(l1, 16), Byte(l1, 8), Byte(l1, 0), Byte(l2, 24), Byte(l2, 16), Byte(l2, 8), Byte(l2, 0),
           Byte(l3, 24), Byte(l3, 16), Byte(l3, 8), Byte(l3, 0), Byte(l4, 24), Byte(l4, 16), Byte(l4, 8), Byte(l4, 0)}};
#endif
}

inline bool SameUid(const char* id, const Uid& other) { return id && std::memcmp(id, other.bytes, 16) == 0; }

// -- the base interface ---------------------------------------------------------------

class FUnknown {
 public:
  virtual tresult queryInterface(const TUID iid, void** object) = 0;
  virtual uint32 addRef() = 0;
  virtual uint32 release() = 0;
  static constexpr Uid iid = MakeUid(0x00000000, 0x00000000, 0xC0000000, 0x00000046);
};

class IPluginBase : public FUnknown {
 public:
  virtual tresult initialize(FUnknown* context) = 0;
  virtual tresult terminate() = 0;
  static constexpr Uid iid = MakeUid(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);
};

// -- the factory ------------------------------------------------------------------------

struct PFactoryInfo {
  enum { kNoFlags = 0, kClassesDiscardable = 1 << 0, kComponentNonDiscardable = 1 << 3, kUnicode = 1 << 4 };
  char8 vendor[64];
  char8 url[256];
  char8 email[128];
  int32 flags;
};

struct PClassInfo {
  enum { kManyInstances = 0x7FFFFFFF };
  TUID cid;
  int32 cardinality;
  char8 category[32];
  char8 name[64];
};

struct PClassInfo2 {
  TUID cid;
  int32 cardinality;
  char8 category[32];
  char8 name[64];
  uint32 classFlags;
  char8 subCategories[128];
  char8 vendor[64];
  char8 version[64];
  char8 sdkVersion[64];
};

struct PClassInfoW {
  TUID cid;
  int32 cardinality;
  char8 category[32];
  char16 name[64];
  uint32 classFlags;
  char8 subCategories[128];
  char16 vendor[64];
  char16 version[64];
  char16 sdkVersion[64];
};

class IPluginFactory : public FUnknown {
 public:
  virtual tresult getFactoryInfo(PFactoryInfo* info) = 0;
  virtual int32 countClasses() = 0;
  virtual tresult getClassInfo(int32 index, PClassInfo* info) = 0;
  virtual tresult createInstance(FIDString cid, FIDString iid, void** object) = 0;
  static constexpr Uid iid = MakeUid(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);
};

class IPluginFactory2 : public IPluginFactory {
 public:
  virtual tresult getClassInfo2(int32 index, PClassInfo2* info) = 0;
  static constexpr Uid iid = MakeUid(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);
};

class IPluginFactory3 : public IPluginFactory2 {
 public:
  virtual tresult getClassInfoUnicode(int32 index, PClassInfoW* info) = 0;
  virtual tresult setHostContext(FUnknown* context) = 0;
  static constexpr Uid iid = MakeUid(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);
};

// -- streams ------------------------------------------------------------------------------

class IBStream : public FUnknown {
 public:
  enum { kIBSeekSet = 0, kIBSeekCur, kIBSeekEnd };
  virtual tresult read(void* buffer, int32 bytes, int32* bytesRead) = 0;
  virtual tresult write(void* buffer, int32 bytes, int32* bytesWritten) = 0;
  virtual tresult seek(int64 position, int32 mode, int64* result) = 0;
  virtual tresult tell(int64* position) = 0;
  static constexpr Uid iid = MakeUid(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);
};

// -- the component ---------------------------------------------------------------------------

enum MediaTypes { kAudio = 0, kEvent = 1 };
enum BusDirections { kInput = 0, kOutput = 1 };
enum BusTypes { kMain = 0, kAux = 1 };

struct BusInfo {
  enum { kDefaultActive = 1 << 0 };
  MediaType mediaType;
  BusDirection direction;
  int32 channelCount;
  String128 name;
  BusType busType;
  uint32 flags;
};

struct RoutingInfo {
  MediaType mediaType;
  int32 busIndex;
  int32 channel;
};

class IComponent : public IPluginBase {
 public:
  virtual tresult getControllerClassId(TUID classId) = 0;
  virtual tresult setIoMode(IoMode mode) = 0;
  virtual int32 getBusCount(MediaType type, BusDirection direction) = 0;
  virtual tresult getBusInfo(MediaType type, BusDirection direction, int32 index, BusInfo& bus) = 0;
  virtual tresult getRoutingInfo(RoutingInfo& in, RoutingInfo& out) = 0;
  virtual tresult activateBus(MediaType type, BusDirection direction, int32 index, TBool state) = 0;
  virtual tresult setActive(TBool state) = 0;
  virtual tresult setState(IBStream* state) = 0;
  virtual tresult getState(IBStream* state) = 0;
  static constexpr Uid iid = MakeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);
};

// -- events and parameter changes --------------------------------------------------------------

struct NoteOnEvent {
  int16 channel;
  int16 pitch;
  float tuning;
  float velocity;
  int32 length;
  int32 noteId;
};

struct NoteOffEvent {
  int16 channel;
  int16 pitch;
  float velocity;
  int32 noteId;
  float tuning;
};

struct DataEvent {
  uint32 size;
  uint32 type;
  const uint8* bytes;
};

struct PolyPressureEvent {
  int16 channel;
  int16 pitch;
  float pressure;
  int32 noteId;
};

#pragma pack(push, 4)
struct NoteExpressionValueEvent {
  uint32 typeId;
  int32 noteId;
  double value;
};

struct NoteExpressionTextEvent {
  uint32 typeId;
  int32 noteId;
  uint32 textLength;
  const TChar* text;
};
#pragma pack(pop)

struct ChordEvent {
  int16 root;
  int16 bassNote;
  int16 mask;
  uint16 textLength;
  const TChar* text;
};

struct ScaleEvent {
  int16 root;
  int16 mask;
  uint16 textLength;
  const TChar* text;
};

// A MIDI message an instrument sends on: a controller number of 0–127, or
// one of the numbers after them (kAfterTouch, kPitchBend, kCtrlProgramChange...).
struct LegacyMIDICCOutEvent {
  uint8 controlNumber;
  int8 channel;
  int8 value;
  int8 value2;
};

struct Event {
  enum { kIsLive = 1 << 0 };
  enum EventTypes {
    kNoteOnEvent = 0,
    kNoteOffEvent = 1,
    kDataEvent = 2,
    kPolyPressureEvent = 3,
    kNoteExpressionValueEvent = 4,
    kNoteExpressionTextEvent = 5,
    kChordEvent = 6,
    kScaleEvent = 7,
    kLegacyMIDICCOutEvent = 65535
  };
  int32 busIndex;
  int32 sampleOffset;
  TQuarterNotes ppqPosition;
  uint16 flags;
  uint16 type;
  union {
    NoteOnEvent noteOn;
    NoteOffEvent noteOff;
    DataEvent data;
    PolyPressureEvent polyPressure;
    NoteExpressionValueEvent noteExpressionValue;
    NoteExpressionTextEvent noteExpressionText;
    ChordEvent chord;
    ScaleEvent scale;
    LegacyMIDICCOutEvent midiCCOut;
  };
};

class IEventList : public FUnknown {
 public:
  virtual int32 getEventCount() = 0;
  virtual tresult getEvent(int32 index, Event& event) = 0;
  virtual tresult addEvent(Event& event) = 0;
  static constexpr Uid iid = MakeUid(0x3A2C4214, 0x346349FE, 0xB2C4F397, 0xB9695A44);
};

class IParamValueQueue : public FUnknown {
 public:
  virtual ParamID getParameterId() = 0;
  virtual int32 getPointCount() = 0;
  virtual tresult getPoint(int32 index, int32& sampleOffset, ParamValue& value) = 0;
  virtual tresult addPoint(int32 sampleOffset, ParamValue value, int32& index) = 0;
  static constexpr Uid iid = MakeUid(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);
};

class IParameterChanges : public FUnknown {
 public:
  virtual int32 getParameterCount() = 0;
  virtual IParamValueQueue* getParameterData(int32 index) = 0;
  virtual IParamValueQueue* addParameterData(const ParamID& id, int32& index) = 0;
  static constexpr Uid iid = MakeUid(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);
};

// -- processing ------------------------------------------------------------------------------------

enum SymbolicSampleSizes { kSample32 = 0, kSample64 = 1 };
enum ProcessModes { kRealtime = 0, kPrefetch = 1, kOffline = 2 };

struct ProcessSetup {
  int32 processMode;
  int32 symbolicSampleSize;
  int32 maxSamplesPerBlock;
  SampleRate sampleRate;
};

struct AudioBusBuffers {
  int32 numChannels;
  uint64 silenceFlags;
  union {
    Sample32** channelBuffers32;
    Sample64** channelBuffers64;
  };
};

struct FrameRate {
  uint32 framesPerSecond;
  uint32 flags;
};

struct Chord {
  uint8 keyNote;
  uint8 rootNote;
  int16 chordMask;
};

struct ProcessContext {
  enum {
    kPlaying = 1 << 1,
    kCycleActive = 1 << 2,
    kRecording = 1 << 3,
    kSystemTimeValid = 1 << 8,
    kProjectTimeMusicValid = 1 << 9,
    kTempoValid = 1 << 10,
    kBarPositionValid = 1 << 11,
    kCycleValid = 1 << 12,
    kTimeSigValid = 1 << 13,
    kContTimeValid = 1 << 17,
  };
  uint32 state;
  double sampleRate;
  TSamples projectTimeSamples;
  int64 systemTime;
  TSamples continousTimeSamples;
  TQuarterNotes projectTimeMusic;
  TQuarterNotes barPositionMusic;
  TQuarterNotes cycleStartMusic;
  TQuarterNotes cycleEndMusic;
  double tempo;
  int32 timeSigNumerator;
  int32 timeSigDenominator;
  Chord chord;
  int32 smpteOffsetSubframes;
  FrameRate frameRate;
  int32 samplesToNextClock;
};

struct ProcessData {
  int32 processMode;
  int32 symbolicSampleSize;
  int32 numSamples;
  int32 numInputs;
  int32 numOutputs;
  AudioBusBuffers* inputs;
  AudioBusBuffers* outputs;
  IParameterChanges* inputParameterChanges;
  IParameterChanges* outputParameterChanges;
  IEventList* inputEvents;
  IEventList* outputEvents;
  ProcessContext* processContext;
};

class IAudioProcessor : public FUnknown {
 public:
  virtual tresult setBusArrangements(SpeakerArrangement* inputs, int32 inputCount, SpeakerArrangement* outputs,
                                     int32 outputCount) = 0;
  virtual tresult getBusArrangement(BusDirection direction, int32 index, SpeakerArrangement& arrangement) = 0;
  virtual tresult canProcessSampleSize(int32 symbolicSampleSize) = 0;
  virtual uint32 getLatencySamples() = 0;
  virtual tresult setupProcessing(ProcessSetup& setup) = 0;
  virtual tresult setProcessing(TBool state) = 0;
  virtual tresult process(ProcessData& data) = 0;
  virtual uint32 getTailSamples() = 0;
  static constexpr Uid iid = MakeUid(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);
};

// Speaker arrangements: left and right.
constexpr SpeakerArrangement kStereo = 0x3;

class IProcessContextRequirements : public FUnknown {
 public:
  enum {
    kNeedProjectTimeMusic = 1 << 2,
    kNeedBarPositionMusic = 1 << 3,
    kNeedCycleMusic = 1 << 4,
    kNeedTempo = 1 << 6,
    kNeedTimeSignature = 1 << 7,
    kNeedTransportState = 1 << 10,
  };
  virtual uint32 getProcessContextRequirements() = 0;
  static constexpr Uid iid = MakeUid(0x2A654303, 0xEF764E3D, 0x95B5FE83, 0x730EF6D0);
};

// -- the edit controller -------------------------------------------------------------------------

struct ParameterInfo {
  enum {
    kNoFlags = 0,
    kCanAutomate = 1 << 0,
    kIsReadOnly = 1 << 1,
    kIsWrapAround = 1 << 2,
    kIsList = 1 << 3,
    kIsHidden = 1 << 4,
    kIsProgramChange = 1 << 15,
    kIsBypass = 1 << 16
  };
  ParamID id;
  String128 title;
  String128 shortTitle;
  String128 units;
  int32 stepCount;
  ParamValue defaultNormalizedValue;
  UnitID unitId;
  int32 flags;
};

enum RestartFlags {
  kReloadComponent = 1 << 0,
  kIoChanged = 1 << 1,
  kParamValuesChanged = 1 << 2,
  kLatencyChanged = 1 << 3,
  kParamTitlesChanged = 1 << 4,
  kMidiCCAssignmentChanged = 1 << 5,
};

class IComponentHandler : public FUnknown {
 public:
  virtual tresult beginEdit(ParamID id) = 0;
  virtual tresult performEdit(ParamID id, ParamValue normalised) = 0;
  virtual tresult endEdit(ParamID id) = 0;
  virtual tresult restartComponent(int32 flags) = 0;
  static constexpr Uid iid = MakeUid(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);
};

class IComponentHandler2 : public FUnknown {
 public:
  virtual tresult setDirty(TBool state) = 0;
  virtual tresult requestOpenEditor(FIDString name) = 0;
  virtual tresult startGroupEdit() = 0;
  virtual tresult finishGroupEdit() = 0;
  static constexpr Uid iid = MakeUid(0xF040B4B3, 0xA36045EC, 0xABCDC045, 0xB4D5A2CC);
};

class IPlugView;

class IEditController : public IPluginBase {
 public:
  virtual tresult setComponentState(IBStream* state) = 0;
  virtual tresult setState(IBStream* state) = 0;
  virtual tresult getState(IBStream* state) = 0;
  virtual int32 getParameterCount() = 0;
  virtual tresult getParameterInfo(int32 index, ParameterInfo& info) = 0;
  virtual tresult getParamStringByValue(ParamID id, ParamValue normalised, String128 text) = 0;
  virtual tresult getParamValueByString(ParamID id, TChar* text, ParamValue& normalised) = 0;
  virtual ParamValue normalizedParamToPlain(ParamID id, ParamValue normalised) = 0;
  virtual ParamValue plainParamToNormalized(ParamID id, ParamValue plain) = 0;
  virtual ParamValue getParamNormalized(ParamID id) = 0;
  virtual tresult setParamNormalized(ParamID id, ParamValue normalised) = 0;
  virtual tresult setComponentHandler(IComponentHandler* handler) = 0;
  virtual IPlugView* createView(FIDString name) = 0;
  static constexpr Uid iid = MakeUid(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);
};

// Controller numbers of the MIDI mapping beyond the 128 controllers.
enum ControllerNumbers { kAfterTouch = 128, kPitchBend = 129, kCtrlProgramChange = 130 };

class IMidiMapping : public FUnknown {
 public:
  virtual tresult getMidiControllerAssignment(int32 busIndex, int16 channel, CtrlNumber controller, ParamID& id) = 0;
  static constexpr Uid iid = MakeUid(0xDF0FF9F7, 0x49B74669, 0xB63AB732, 0x7ADBF5E5);
};

// -- units and program lists ------------------------------------------------------------------------

constexpr UnitID kRootUnitId = 0;
constexpr UnitID kNoParentUnitId = -1;
constexpr ProgramListID kNoProgramListId = -1;
constexpr int32 kAllProgramInvalid = -1;

struct UnitInfo {
  UnitID id;
  UnitID parentUnitId;
  String128 name;
  ProgramListID programListId;
};

struct ProgramListInfo {
  ProgramListID id;
  String128 name;
  int32 programCount;
};

class IUnitHandler : public FUnknown {
 public:
  virtual tresult notifyUnitSelection(UnitID unit) = 0;
  virtual tresult notifyProgramListChange(ProgramListID list, int32 program) = 0;
  static constexpr Uid iid = MakeUid(0x4B5147F8, 0x4654486B, 0x8DAB30BA, 0x163A3C56);
};

class IUnitInfo : public FUnknown {
 public:
  virtual int32 getUnitCount() = 0;
  virtual tresult getUnitInfo(int32 index, UnitInfo& info) = 0;
  virtual int32 getProgramListCount() = 0;
  virtual tresult getProgramListInfo(int32 index, ProgramListInfo& info) = 0;
  virtual tresult getProgramName(ProgramListID list, int32 program, String128 name) = 0;
  virtual tresult getProgramInfo(ProgramListID list, int32 program, const char8* attribute, String128 value) = 0;
  virtual tresult hasProgramPitchNames(ProgramListID list, int32 program) = 0;
  virtual tresult getProgramPitchName(ProgramListID list, int32 program, int16 pitch, String128 name) = 0;
  virtual UnitID getSelectedUnit() = 0;
  virtual tresult selectUnit(UnitID unit) = 0;
  virtual tresult getUnitByBus(MediaType type, BusDirection direction, int32 bus, int32 channel, UnitID& unit) = 0;
  virtual tresult setUnitProgramData(int32 listOrUnit, int32 program, IBStream* data) = 0;
  static constexpr Uid iid = MakeUid(0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1);
};

// -- the host application ---------------------------------------------------------------------------

class IHostApplication : public FUnknown {
 public:
  virtual tresult getName(String128 name) = 0;
  virtual tresult createInstance(TUID cid, TUID iid, void** object) = 0;
  static constexpr Uid iid = MakeUid(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);
};

// -- the plug-in view --------------------------------------------------------------------------------

struct ViewRect {
  int32 left;
  int32 top;
  int32 right;
  int32 bottom;
};

constexpr FIDString kPlatformTypeHWND = "HWND";
constexpr FIDString kPlatformTypeX11EmbedWindowID = "X11EmbedWindowID";
constexpr FIDString kEditorViewType = "editor";

class IPlugFrame;

class IPlugView : public FUnknown {
 public:
  virtual tresult isPlatformTypeSupported(FIDString type) = 0;
  virtual tresult attached(void* parent, FIDString type) = 0;
  virtual tresult removed() = 0;
  virtual tresult onWheel(float distance) = 0;
  virtual tresult onKeyDown(char16 key, int16 keyCode, int16 modifiers) = 0;
  virtual tresult onKeyUp(char16 key, int16 keyCode, int16 modifiers) = 0;
  virtual tresult getSize(ViewRect* size) = 0;
  virtual tresult onSize(ViewRect* size) = 0;
  virtual tresult onFocus(TBool state) = 0;
  virtual tresult setFrame(IPlugFrame* frame) = 0;
  virtual tresult canResize() = 0;
  virtual tresult checkSizeConstraint(ViewRect* rect) = 0;
  static constexpr Uid iid = MakeUid(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);
};

class IPlugFrame : public FUnknown {
 public:
  virtual tresult resizeView(IPlugView* view, ViewRect* size) = 0;
  static constexpr Uid iid = MakeUid(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);
};

// The host's run loop on Linux, which the frame offers: the view's timers
// and its display connection's descriptor are served on the host's UI thread.
class IEventHandler : public FUnknown {
 public:
  virtual void onFDIsSet(int descriptor) = 0;
  static constexpr Uid iid = MakeUid(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);
};

// The host's scale of the screen the view is on (1.0 for 100 %).
class IPlugViewContentScaleSupport : public FUnknown {
 public:
  virtual tresult setContentScaleFactor(float factor) = 0;
  static constexpr Uid iid = MakeUid(0x65ED9690, 0x8AC44525, 0x8AADEF7A, 0x72EA703F);
};

class ITimerHandler : public FUnknown {
 public:
  virtual void onTimer() = 0;
  static constexpr Uid iid = MakeUid(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);
};

class IRunLoop : public FUnknown {
 public:
  virtual tresult registerEventHandler(IEventHandler* handler, int descriptor) = 0;
  virtual tresult unregisterEventHandler(IEventHandler* handler) = 0;
  virtual tresult registerTimer(ITimerHandler* handler, uint64 milliseconds) = 0;
  virtual tresult unregisterTimer(ITimerHandler* handler) = 0;
  static constexpr Uid iid = MakeUid(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);
};

// -- asking for interfaces ------------------------------------------------------------------------

// `object`'s `Interface`, with a reference the caller holds, or null.
template <typename Interface>
Interface* Query(FUnknown* object) {
  void* found = nullptr;
  if (!object || object->queryInterface(Interface::iid.bytes, &found) != kResultOk) return nullptr;
  return static_cast<Interface*>(found);
}

// Lets go of a held reference, once.
template <typename Interface>
void Release(Interface*& object) {
  if (object) object->release();
  object = nullptr;
}

// -- the module's exports ------------------------------------------------------------------------------

using GetFactoryProc = IPluginFactory* (*)();

// -- sizes hosts rely on (64-bit) ----------------------------------------------------------------------

static_assert(sizeof(PFactoryInfo) == 452, "factory info");
static_assert(sizeof(PClassInfo) == 116 && sizeof(PClassInfo2) == 440 && sizeof(PClassInfoW) == 696, "class info");
static_assert(sizeof(BusInfo) == 276 && sizeof(RoutingInfo) == 12, "bus info");
static_assert(sizeof(ProcessSetup) == 24 && offsetof(ProcessSetup, sampleRate) == 16, "process setup");
static_assert(sizeof(AudioBusBuffers) == 24 && offsetof(AudioBusBuffers, channelBuffers32) == 16, "bus buffers");
static_assert(sizeof(ProcessData) == 80 && offsetof(ProcessData, inputs) == 24 &&
                  offsetof(ProcessData, processContext) == 72,
              "process data");
static_assert(sizeof(ProcessContext) == 112 && offsetof(ProcessContext, tempo) == 72 &&
                  offsetof(ProcessContext, chord) == 88 && offsetof(ProcessContext, samplesToNextClock) == 104,
              "process context");
static_assert(sizeof(NoteExpressionTextEvent) == 20 && sizeof(NoteExpressionValueEvent) == 16, "packed events");
static_assert(sizeof(Event) == 48 && offsetof(Event, noteOn) == 24 && offsetof(Event, type) == 18, "event");
static_assert(sizeof(ParameterInfo) == 792 && offsetof(ParameterInfo, defaultNormalizedValue) == 776, "parameter");
static_assert(sizeof(UnitInfo) == 268 && sizeof(ProgramListInfo) == 264, "units");
static_assert(sizeof(ViewRect) == 16, "view rectangle");

}  // namespace vst3
