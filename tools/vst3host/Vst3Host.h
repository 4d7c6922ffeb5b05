// A small VST 3 host: loads one plug-in module (a bundle folder or the
// binary inside it), creates the module's first audio class with its edit
// controller and drives them only through the interface, recording what the
// plug-in asks of the host. Used by the tests that load the VST 3 plug-in.
//
// Every call into the plug-in is made on the thread that calls the host;
// the thread that called Load is the host's UI thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/DynamicLibrary.h"
#include "vst3/Vst3Abi.h"

namespace vst3host {

// A parameter's normalised value at a sample offset of one block.
struct ParamPoint {
  vst3::ParamID id;
  vst3::int32 offset;
  double value;
};

// Note events for the first event bus, live, with no note id.
vst3::Event NoteOn(vst3::int32 offset, int pitch, float velocity, int channel = 0);
vst3::Event NoteOff(vst3::int32 offset, int pitch, float velocity = 0, int channel = 0);

// The interface's UTF-16 text, up to its first zero or `capacity` units.
std::string ToUtf8(const vst3::char16* text, std::size_t capacity);
// `text` into `out` with its zero, cut at a character that would not fit;
// a malformed byte becomes U+FFFD.
void ToUtf16(const std::string& text, vst3::char16* out, std::size_t capacity);

// One call of the plug-in to the host's component handler.
struct HandlerCall {
  enum Kind {
    kBeginEdit,
    kPerformEdit,
    kEndEdit,
    kRestartComponent,
    kSetDirty,
    kRequestOpenEditor,
    kStartGroupEdit,
    kFinishGroupEdit,
    kUnitSelection,
    kProgramListChange
  };
  Kind kind = kBeginEdit;
  vst3::ParamID id = 0;          // the edited parameter
  double value = 0;              // performEdit's value
  vst3::int32 flags = 0;         // restartComponent's flags, setDirty's state
  vst3::UnitID unit = 0;         // notifyUnitSelection's unit
  vst3::ProgramListID list = 0;  // notifyProgramListChange's list and program
  vst3::int32 program = 0;
  std::thread::id thread;
};

class Vst3Host {
 public:
  Vst3Host();
  ~Vst3Host();  // Unload
  Vst3Host(const Vst3Host&) = delete;
  Vst3Host& operator=(const Vst3Host&) = delete;

  // Loads the module, enters it, creates and initialises the first class of
  // the category "Audio Module Class" and its edit controller, and hands the
  // controller the host's handler; false with a one-line reason.
  bool Load(const std::string& bundleOrBinary, std::string* error);
  // The same for a module already in this process (a plug-in linked in),
  // named `name` in the reasons; its entry and exit calls are the caller's.
  bool Attach(vst3::GetFactoryProc getFactory, const std::string& name, std::string* error);
  // Closes the view, deactivates, terminates and releases the plug-in,
  // releases the factory, leaves the module and unloads it.
  void Unload();

  // The module and the audio class as their factory describes them.
  vst3::IPluginFactory* Factory() const { return factory_; }
  const vst3::PFactoryInfo& FactoryInfo() const { return factoryInfo_; }
  int ClassIndex() const { return classIndex_; }
  const vst3::PClassInfo& ClassInfo() const { return classInfo_; }
  bool ClassInfo2(vst3::PClassInfo2* info) const;  // false without IPluginFactory2
  bool ClassInfoW(vst3::PClassInfoW* info) const;  // false without IPluginFactory3

  // The plug-in's interfaces, for calls the host has no helper for; the
  // unit information and the MIDI mapping may be absent.
  vst3::IComponent* Component() const { return component_; }
  vst3::IEditController* Controller() const { return controller_; }
  vst3::IAudioProcessor* Processor() const { return processor_; }
  vst3::IUnitInfo* Units() const { return units_; }
  vst3::IMidiMapping* MidiMapping() const { return midiMapping_; }
  // True when the component is its own edit controller.
  bool SingleObject() const { return singleObject_; }

  int BusCount(vst3::MediaType type, vst3::BusDirection direction) const;
  bool BusInfo(vst3::MediaType type, vst3::BusDirection direction, int index, vst3::BusInfo* info) const;

  // One stereo output, the processing set up for real time at `rate` with
  // blocks of up to `maxBlock` frames in 32- or 64-bit samples, the first
  // output and event input buses activated, the component active and
  // processing. False, with the plug-in left inactive, when it refuses.
  bool Activate(double rate, int maxBlock, bool doublePrecision = false);
  void Deactivate();
  bool Active() const { return active_; }
  // What the processor asked of the process context during Activate.
  vst3::uint32 ContextRequirements() const { return contextRequirements_; }

  // One process call of `frames` frames (0: a parameter flush) with these
  // events and parameter points (a queue per id, its points in offset
  // order); the output is kept in Left() and Right(). Refused without a call
  // when the plug-in is not processing or `frames` exceeds the block size.
  vst3::tresult Process(int frames, const std::vector<vst3::Event>& events = {},
                        const std::vector<ParamPoint>& params = {}, const vst3::ProcessContext* context = nullptr);
  const std::vector<double>& Left() const { return left_; }
  const std::vector<double>& Right() const { return right_; }
  vst3::uint64 OutputSilenceFlags() const { return silenceFlags_; }
  // What the plug-in added to the output lists in the last call: events in
  // their order, parameter points queue by queue.
  const std::vector<vst3::Event>& OutputEvents() const { return outputEventRecord_; }
  const std::vector<ParamPoint>& OutputParams() const { return outputParamRecord_; }

  // Parameters through the edit controller.
  int ParamCount() const;
  bool ParamInfo(int index, vst3::ParameterInfo* info) const;
  double ParamNormalized(vst3::ParamID id) const;
  vst3::tresult SetParamNormalized(vst3::ParamID id, double normalized) const;
  // "(refused)" when the controller gives no text.
  std::string ValueToText(vst3::ParamID id, double normalized) const;
  bool TextToValue(vst3::ParamID id, const std::string& text, double* normalized) const;
  double NormalizedToPlain(vst3::ParamID id, double normalized) const;
  double PlainToNormalized(vst3::ParamID id, double plain) const;

  // The component's state, and the controller's into `controller` (when
  // given); true when both accepted. The streams take at most `chunk` bytes
  // a write.
  bool SaveState(std::vector<std::uint8_t>* component, std::vector<std::uint8_t>* controller = nullptr,
                 std::size_t chunk = SIZE_MAX);
  // The component's state, then the same bytes from the start to the
  // controller's setComponentState, as hosts restore a project; the stream
  // hands out at most `chunk` bytes a read. True when both accepted.
  bool LoadState(const std::vector<std::uint8_t>& component, std::size_t chunk = SIZE_MAX);
  // The controller's own state.
  bool LoadControllerState(const std::vector<std::uint8_t>& controller, std::size_t chunk = SIZE_MAX);

  // Program lists through the unit information.
  int ProgramListCount() const;
  bool ProgramListInfo(int index, vst3::ProgramListInfo* info) const;
  // "(refused)" when the plug-in gives no name.
  std::string ProgramName(vst3::ProgramListID list, int program) const;

  // The parameter a MIDI controller of the first event bus drives.
  bool MidiAssignment(vst3::int16 channel, vst3::int16 controller, vst3::ParamID* id) const;

  // How the frame answers the view's resizeView: granted (the default),
  // after passing the size on to onSize, or refused.
  void SetResizeAnswer(bool grant) { grantsResize_ = grant; }
  // The scale the next view is given before its size is asked (0: none).
  void SetContentScale(float factor) { contentScale_ = factor; }
  // The editor view in `parent` (an X11 window id on Linux, an HWND on
  // Windows), with the host's frame; false, with no view left, when the
  // plug-in refuses.
  bool OpenView(void* parent);
  void CloseView();
  vst3::IPlugView* View() const { return view_; }
  // The size the view reported before it was attached.
  const vst3::ViewRect& ViewSize() const { return viewSize_; }
  // The sizes the view asked its frame for; each one granted was passed on to onSize.
  std::vector<vst3::ViewRect> ResizeRequests() const;
  // One turn of the host's run loop (Linux): every registered descriptor
  // that is readable now is reported, every timer whose interval has passed
  // fires.
  void RunLoopOnce();
  int RegisteredTimers() const;
  int RegisteredDescriptors() const;

  // What the plug-in asked of the host.
  std::vector<HandlerCall> HandlerCalls() const;
  void ClearHandlerCalls();
  // Calls to the handler, the frame or the run loop not made on the UI thread.
  int OffUiThreadCalls() const { return offUiThread_.load(); }
  // References the plug-in holds to the host's objects now: after Unload,
  // those it never gave back.
  int LeakedHostReferences() const { return references_.load(); }
  // Releases of a host object that held no reference of the plug-in.
  int OverReleasedHostReferences() const { return overReleases_.load(); }
  // True while the calling thread is inside one of the host's objects: a
  // watch of what a plug-in does on its audio thread leaves them out.
  static bool InCallback();

 private:
  class Context;
  class Handler;
  class Frame;
  class EventList;
  class ParamChanges;

  bool Fail(const std::string& why, std::string* error);
  // Load and Attach from the factory on: the audio class and its controller.
  bool Create(vst3::GetFactoryProc getFactory, const std::string& name, std::string* error);
  void CheckUiThread();
  void Record(const HandlerCall& call);

  platform::DynamicLibrary library_;
  bool moduleEntered_ = false;
  vst3::IPluginFactory* factory_ = nullptr;
  vst3::IPluginFactory2* factory2_ = nullptr;
  vst3::IPluginFactory3* factory3_ = nullptr;
  vst3::PFactoryInfo factoryInfo_{};
  vst3::PClassInfo classInfo_{};
  int classIndex_ = -1;
  vst3::IComponent* component_ = nullptr;
  vst3::IEditController* controller_ = nullptr;
  bool singleObject_ = false;
  vst3::IAudioProcessor* processor_ = nullptr;
  vst3::IUnitInfo* units_ = nullptr;
  vst3::IMidiMapping* midiMapping_ = nullptr;
  vst3::IPlugView* view_ = nullptr;
  vst3::ViewRect viewSize_{};
  bool grantsResize_ = true;
  float contentScale_ = 0;
  std::thread::id uiThread_;

  // The host's objects; they outlive every reference the plug-in takes.
  std::atomic<int> references_{0}, overReleases_{0}, offUiThread_{0};
  std::unique_ptr<Context> context_;
  std::unique_ptr<Handler> handler_;
  std::unique_ptr<Frame> frame_;
  std::unique_ptr<EventList> inputEvents_, outputEvents_;
  std::unique_ptr<ParamChanges> inputParams_, outputParams_;

  bool active_ = false;
  bool processing_ = false;
  bool doublePrecision_ = false;
  int maxBlock_ = 0;
  vst3::uint32 contextRequirements_ = 0;
  vst3::ProcessContext processContext_{};
  std::vector<float> out32_[2];
  std::vector<double> out64_[2];
  std::vector<double> left_, right_;
  vst3::uint64 silenceFlags_ = 0;
  std::vector<vst3::Event> outputEventRecord_;
  std::vector<ParamPoint> outputParamRecord_;

  // The plug-in may call its handler and frame on any thread.
  mutable std::mutex mutex_;
  std::vector<HandlerCall> handlerCalls_;
  std::vector<vst3::ViewRect> resizeRequests_;
};

}  // namespace vst3host
