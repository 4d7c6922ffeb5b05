// Kestrion as a VST 3 plug-in: one object that is the component, its audio
// processor and its edit controller, with the program list, the MIDI
// mapping and the editor's view. It owns the instrument and is, with the
// view and the module's entry, the only code that knows the interface.
//
// Threads, as the interface assigns them: creation, the controller's calls,
// state, activation and the view on the host's UI thread; process on its
// audio thread. The instrument's own guarantees make the audio path
// lock-free; the host hears of edits made on the UI thread through the
// component handler at once, of those made during a process call through
// the call's output parameter changes.
#pragma once

#include <atomic>
#include <bitset>
#include <memory>
#include <mutex>
#include <vector>

#include "instrument/HostLink.h"
#include "instrument/Kestrion.h"
#include "ui/EditorWindow.h"
#include "vst3/Vst3Abi.h"

class Vst3View;

// IComponent and IEditController both declare setState and getState: these
// tell the component's calls from the controller's.
class Vst3ComponentCalls : public vst3::IComponent {
 public:
  vst3::tresult setState(vst3::IBStream* state) final { return SetComponentState(state); }
  vst3::tresult getState(vst3::IBStream* state) final { return GetComponentState(state); }

 protected:
  virtual vst3::tresult SetComponentState(vst3::IBStream* state) = 0;
  virtual vst3::tresult GetComponentState(vst3::IBStream* state) = 0;
};

class Vst3ControllerCalls : public vst3::IEditController {
 public:
  vst3::tresult setState(vst3::IBStream* state) final { return SetControllerState(state); }
  vst3::tresult getState(vst3::IBStream* state) final { return GetControllerState(state); }

 protected:
  virtual vst3::tresult SetControllerState(vst3::IBStream* state) = 0;
  virtual vst3::tresult GetControllerState(vst3::IBStream* state) = 0;
};

class Vst3Plugin final : public Vst3ComponentCalls,
                         public vst3::IAudioProcessor,
                         public vst3::IProcessContextRequirements,
                         public Vst3ControllerCalls,
                         public vst3::IUnitInfo,
                         public vst3::IMidiMapping,
                         public HostLink {
 public:
  // The audio module's class id, and the program list's id.
  static constexpr vst3::Uid kClassId = vst3::MakeUid(0x4B657374, 0x72696F6E, 0x48617272, 0x6F77766C);
  static constexpr vst3::ProgramListID kProgramListId = 1;

  // Parameter ids: the instrument's parameters by index; then the program
  // parameter; then one hidden parameter per MIDI controller number the
  // host maps (0–127, channel pressure, pitch bend), through which the
  // host's controllers reach the instrument's MIDI intake.
  static constexpr vst3::ParamID kProgramParameter = Kestrion::kParameterCount;
  static constexpr vst3::ParamID kFirstMidiParameter = 1000;
  static constexpr int kMidiParameterCount = vst3::kPitchBend + 1;
  static constexpr int kParameterCount = Kestrion::kParameterCount + 1 + kMidiParameterCount;

  // The largest block taken at setup; a host asking for more gets its
  // blocks rendered in pieces of this size.
  static constexpr int kMaxBlockSize = 1 << 16;
  // A state larger than this is refused without reading it whole.
  static constexpr std::int64_t kMaxStateSize = 16 << 20;

  // Throws when the instrument cannot be made; `makeEditor` makes the
  // editor's window (the system's when null).
  explicit Vst3Plugin(EditorFactory makeEditor = nullptr);
  ~Vst3Plugin();
  Vst3Plugin(const Vst3Plugin&) = delete;
  Vst3Plugin& operator=(const Vst3Plugin&) = delete;

  // FUnknown.
  vst3::tresult queryInterface(const vst3::TUID iid, void** object) override;
  vst3::uint32 addRef() override;
  vst3::uint32 release() override;

  // IPluginBase, for the component and the controller alike.
  vst3::tresult initialize(vst3::FUnknown* context) override;
  vst3::tresult terminate() override;

  // IComponent.
  vst3::tresult getControllerClassId(vst3::TUID classId) override;
  vst3::tresult setIoMode(vst3::IoMode mode) override;
  vst3::int32 getBusCount(vst3::MediaType type, vst3::BusDirection direction) override;
  vst3::tresult getBusInfo(vst3::MediaType type, vst3::BusDirection direction, vst3::int32 index,
                           vst3::BusInfo& bus) override;
  vst3::tresult getRoutingInfo(vst3::RoutingInfo& in, vst3::RoutingInfo& out) override;
  vst3::tresult activateBus(vst3::MediaType type, vst3::BusDirection direction, vst3::int32 index,
                            vst3::TBool state) override;
  vst3::tresult setActive(vst3::TBool state) override;

  // IAudioProcessor.
  vst3::tresult setBusArrangements(vst3::SpeakerArrangement* inputs, vst3::int32 inputCount,
                                   vst3::SpeakerArrangement* outputs, vst3::int32 outputCount) override;
  vst3::tresult getBusArrangement(vst3::BusDirection direction, vst3::int32 index,
                                  vst3::SpeakerArrangement& arrangement) override;
  vst3::tresult canProcessSampleSize(vst3::int32 symbolicSampleSize) override;
  vst3::uint32 getLatencySamples() override { return 0; }
  vst3::tresult setupProcessing(vst3::ProcessSetup& setup) override;
  vst3::tresult setProcessing(vst3::TBool state) override;
  vst3::tresult process(vst3::ProcessData& data) override;
  vst3::uint32 getTailSamples() override;
  vst3::uint32 getProcessContextRequirements() override;

  // IEditController.
  vst3::tresult setComponentState(vst3::IBStream* state) override;
  vst3::int32 getParameterCount() override { return kParameterCount; }
  vst3::tresult getParameterInfo(vst3::int32 index, vst3::ParameterInfo& info) override;
  vst3::tresult getParamStringByValue(vst3::ParamID id, vst3::ParamValue normalised, vst3::String128 text) override;
  vst3::tresult getParamValueByString(vst3::ParamID id, vst3::TChar* text, vst3::ParamValue& normalised) override;
  vst3::ParamValue normalizedParamToPlain(vst3::ParamID id, vst3::ParamValue normalised) override;
  vst3::ParamValue plainParamToNormalized(vst3::ParamID id, vst3::ParamValue plain) override;
  vst3::ParamValue getParamNormalized(vst3::ParamID id) override;
  vst3::tresult setParamNormalized(vst3::ParamID id, vst3::ParamValue normalised) override;
  vst3::tresult setComponentHandler(vst3::IComponentHandler* handler) override;
  vst3::IPlugView* createView(vst3::FIDString name) override;

  // IUnitInfo: the root unit holds the program list, the panel's sections
  // the parameters.
  vst3::int32 getUnitCount() override;
  vst3::tresult getUnitInfo(vst3::int32 index, vst3::UnitInfo& info) override;
  vst3::int32 getProgramListCount() override { return 1; }
  vst3::tresult getProgramListInfo(vst3::int32 index, vst3::ProgramListInfo& info) override;
  vst3::tresult getProgramName(vst3::ProgramListID list, vst3::int32 program, vst3::String128 name) override;
  vst3::tresult getProgramInfo(vst3::ProgramListID list, vst3::int32 program, const vst3::char8* attribute,
                               vst3::String128 value) override;
  vst3::tresult hasProgramPitchNames(vst3::ProgramListID list, vst3::int32 program) override;
  vst3::tresult getProgramPitchName(vst3::ProgramListID list, vst3::int32 program, vst3::int16 pitch,
                                    vst3::String128 name) override;
  vst3::UnitID getSelectedUnit() override { return vst3::kRootUnitId; }
  vst3::tresult selectUnit(vst3::UnitID unit) override;
  vst3::tresult getUnitByBus(vst3::MediaType type, vst3::BusDirection direction, vst3::int32 bus, vst3::int32 channel,
                             vst3::UnitID& unit) override;
  vst3::tresult setUnitProgramData(vst3::int32 listOrUnit, vst3::int32 program, vst3::IBStream* data) override;

  // IMidiMapping.
  vst3::tresult getMidiControllerAssignment(vst3::int32 bus, vst3::int16 channel, vst3::CtrlNumber controller,
                                            vst3::ParamID& id) override;

  // HostLink.
  void BeginEdit(int index) override;
  void PerformEdit(int index, double normalised) override;
  void EndEdit(int index) override;
  void ProgramListChanged() override;
  bool SendMidi(const MidiEvent& event) override;
  void ReadTransport(HostTimeInfo& info) override;

  Kestrion& Instrument() { return *instrument_; }
  EditorFactory MakeEditor() const { return makeEditor_; }
  // The view in the host's window, which tells the plug-in when it goes.
  void ViewClosed(Vst3View* view);

 protected:
  vst3::tresult SetComponentState(vst3::IBStream* state) override;
  vst3::tresult GetComponentState(vst3::IBStream* state) override;
  vst3::tresult SetControllerState(vst3::IBStream* state) override;
  vst3::tresult GetControllerState(vst3::IBStream* state) override;

 private:
  // A parameter point of the host, in the order the block meets them.
  struct Point {
    vst3::int32 offset;
    int sequence;  // the order the host gave them in
    vst3::ParamID id;
    double value;
  };
  static constexpr int kMaxPoints = 4096;

  // Whether the calling thread is inside this instance's process call.
  bool InProcess() const { return processing_ == this; }
  // A host's value for one of the instrument's parameters, as automation sets it.
  void ApplyHostValue(int index, double normalised);
  // The host's controllers and program parameter as MIDI for the intake.
  void ReceiveMidiParameter(vst3::ParamID id, vst3::int32 offset, double normalised);
  void ReceiveEvent(const vst3::Event& event);
  // Gathers the block's parameter points, in offset order; MIDI parameters
  // go straight to the intake.
  int GatherPoints(vst3::IParameterChanges* changes, vst3::int32 frames);
  void RenderRange(vst3::ProcessData& data, vst3::int32 from, vst3::int32 to);
  // Every value, and the program, as output parameter changes of the call.
  void ReportAllValues();
  void AddOutputPoint(vst3::ParamID id, double normalised);
  // Normalised value of a parameter id, for the host.
  double NormalisedOf(vst3::ParamID id) const;
  double plainParamToNormalizedConst(vst3::ParamID id, double plain) const;

  std::atomic<vst3::uint32> references_{1};
  EditorFactory makeEditor_;
  vst3::IComponentHandler* handler_ = nullptr;  // held, UI thread
  vst3::IUnitHandler* unitHandler_ = nullptr;   // held, UI thread
  vst3::IComponentHandler2* handler2_ = nullptr;
  std::bitset<Kestrion::kParameterCount> gestures_;  // begun and not ended, UI thread
  bool active_ = false;
  bool doublePrecision_ = false;
  double sampleRate_ = 44100;
  int maxFrames_ = 0;
  std::vector<double> scratch_[2];
  Point points_[kMaxPoints];
  // The block's MIDI parameters as messages, waiting for its note events.
  MidiEvent midiMessages_[kMaxPoints];
  int midiCount_ = 0;
  // The host's last value of each MIDI parameter, for the host to read.
  std::atomic<float> midiValues_[kMidiParameterCount];
  std::atomic<bool> resetPending_{false};
  // The host set the program parameter: no call goes back to it until the
  // call returns (UI thread), and the next block reports every value.
  bool hostSelecting_ = false;
  std::atomic<bool> reportPending_{false};
  // The instance whose process call the thread is in.
  static thread_local Vst3Plugin* processing_;
  vst3::ProcessData* current_ = nullptr;  // the process call under way
  std::unique_ptr<Kestrion> instrument_;
  Vst3View* view_ = nullptr;  // the open view, not held: it holds us
  StateBuffer stateBuffer_;   // the UI thread's
};

// Held while an instance is made: one at a time across the process, as the
// instrument's shared tables expect.
std::mutex& Vst3InstanceCreationLock();
