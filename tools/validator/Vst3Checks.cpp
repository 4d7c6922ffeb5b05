// The checks of a VST 3 plug-in (a .vst3 bundle folder or its binary): the
// module's factory and the audio class's interfaces, the parameters'
// descriptions, and the families a CLAP plug-in shares (FormatChecks.h)
// driven through the VST 3 host. The thread that loads an instance is the
// host's UI thread: the controller's calls, state and the view are made
// there, processing on another thread where the checks run audio meanwhile.
#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "FormatChecks.h"
#include "Validator.h"
#include "tools/vst3host/Vst3Host.h"

namespace validator {

namespace {

using vst3host::Vst3Host;

// A fixed-size text field of the interface, up to its first zero.
template <std::size_t Size>
std::string Field(const char (&text)[Size]) {
  return std::string(text, std::find(text, text + Size, '\0'));
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// One instance in the VST 3 host, as the shared checks drive it.
class Vst3Driver {
 public:
  static constexpr const char* kFormat = "vst3";
  static constexpr bool kSampleSizeEachBlock = false;
  struct Block {
    std::vector<vst3::Event> events;
    std::vector<vst3host::ParamPoint> params;
  };
  static void AddNote(Block& block, int offset, int key, double velocity) {
    block.events.push_back(velocity > 0 ? vst3host::NoteOn(offset, key, static_cast<float>(velocity))
                                        : vst3host::NoteOff(offset, key));
  }
  static void AddParam(Block& block, int offset, std::uint32_t id, double value) {
    block.params.push_back({id, offset, value});
  }

  bool Load(const Options& options, std::string* error) { return host_.Load(options.plugin, error); }
  bool Activate(double rate, int maxBlock) {
    rate_ = rate;
    maxBlock_ = maxBlock;
    doublePrecision_ = false;
    return host_.Activate(rate, maxBlock);
  }
  // The sample size belongs to the processing setup: a change sets up anew.
  bool SetDoublePrecision(bool on) {
    if (on == doublePrecision_) return true;
    host_.Deactivate();
    if (host_.Activate(rate_, maxBlock_, on)) {
      doublePrecision_ = on;
      return true;
    }
    host_.Activate(rate_, maxBlock_, doublePrecision_);
    return false;
  }
  void Deactivate() { host_.Deactivate(); }
  // What a host does where it stops its transport.
  void Reset() {
    host_.Processor()->setProcessing(0);
    host_.Processor()->setProcessing(1);
  }
  void Process(int frames, const Block& block) { host_.Process(frames, block.events, block.params); }
  const std::vector<double>& Left() const { return host_.Left(); }
  const std::vector<double>& Right() const { return host_.Right(); }

  int ParamCount() const { return host_.ParamCount(); }
  std::uint32_t ParamId(int index) const {
    vst3::ParameterInfo info{};
    return host_.ParamInfo(index, &info) ? info.id : UINT32_MAX;
  }
  // A host's UI thread reads a value and tells the controller of another.
  void TouchParameter(std::uint32_t id, double value) {
    host_.ValueToText(id, host_.ParamNormalized(id));
    host_.SetParamNormalized(id, value);
  }
  int WrongThreadCalls() const { return host_.OffUiThreadCalls(); }

  bool SaveState(std::vector<std::uint8_t>* bytes, std::size_t chunk) { return host_.SaveState(bytes, nullptr, chunk); }
  bool LoadState(const std::vector<std::uint8_t>& bytes, std::size_t chunk) { return host_.LoadState(bytes, chunk); }

  // The window is made at the size a view reports before it is attached.
  bool HasEditor() {
    vst3::IPlugView* view = host_.Controller()->createView(vst3::kEditorViewType);
    if (!view) return false;
    if (view->getSize(&size_) != vst3::kResultOk || size_.right <= size_.left || size_.bottom <= size_.top)
      size_ = {0, 0, 400, 300};
    view->release();
    return true;
  }
  bool OpenEditor(EditorWindowSystem& windows, void** window) {
    *window = windows.NewWindow(size_.right - size_.left, size_.bottom - size_.top);
    return *window && host_.OpenView(*window);
  }
  void TurnEditor() { host_.RunLoopOnce(); }
  bool CloseEditor() {
    host_.CloseView();
    return host_.RegisteredTimers() == 0 && host_.RegisteredDescriptors() == 0;
  }

  Vst3Host& Host() { return host_; }

 private:
  Vst3Host host_;
  double rate_ = 48000;
  int maxBlock_ = 0;
  bool doublePrecision_ = false;
  vst3::ViewRect size_{};
};

}  // namespace

bool IsVst3Plugin(const std::string& path) {
  std::string trimmed = path;
  while (!trimmed.empty() && (trimmed.back() == '/' || trimmed.back() == '\\')) trimmed.pop_back();
  return EndsWith(trimmed, ".vst3") || trimmed.find(".vst3/Contents/") != std::string::npos ||
         trimmed.find(".vst3\\Contents\\") != std::string::npos;
}

void CheckVst3Load(const Options& options, Report& report) {
  report.Begin("vst3.load");
  auto driver = formatchecks::Load<Vst3Driver>(options, report, "vst3.load");
  if (!driver) return;
  Vst3Host& host = driver->Host();
  const std::string name = Field(host.ClassInfo().name);
  if (name.empty()) {
    report.Fail("vst3.load", "the audio class has no name");
    return;
  }
  std::string detail = name + " by " + Field(host.FactoryInfo().vendor);
  vst3::PClassInfo2 info{};
  if (host.ClassInfo2(&info))
    detail += " (" + Field(info.subCategories) + ") " + Field(info.version) + ", " + Field(info.sdkVersion);
  report.Pass("vst3.load", detail);

  report.Begin("vst3.interfaces");
  std::string interfaces = host.SingleObject() ? "component and controller in one object" : "a separate controller";
  if (host.Units()) interfaces += ", unit information";
  if (host.MidiMapping()) interfaces += ", MIDI mapping";
  interfaces += ", " + std::to_string(host.BusCount(vst3::kEvent, vst3::kInput)) + " event inputs";
  if (!host.Processor())
    report.Fail("vst3.interfaces", "the component is no audio processor");
  else if (host.BusCount(vst3::kAudio, vst3::kOutput) < 1)
    report.Fail("vst3.interfaces", "no audio output");
  else
    report.Pass("vst3.interfaces", "an audio processor, " + interfaces);

  // Hosts scan by making and dropping instances; each must give back every
  // reference it took to the host's objects.
  report.Begin("vst3.instances");
  int made = 0, kept = 0, overReleased = 0;
  for (int i = 0; i < 5; ++i) {
    Vst3Host other;
    std::string error;
    if (other.Load(options.plugin, &error)) ++made;
    other.Unload();
    kept += other.LeakedHostReferences();
    overReleased += other.OverReleasedHostReferences();
  }
  const std::string counts = std::to_string(made) + " of 5 instances made and destroyed, " + std::to_string(kept) +
                             " references to the host kept, " + std::to_string(overReleased) + " released too often";
  if (made == 5 && kept == 0 && overReleased == 0)
    report.Pass("vst3.instances", counts);
  else
    report.Fail("vst3.instances", counts);
}

// Every parameter described sensibly, with an id of its own and a text that
// reads back; then the UI thread's calls while the audio thread automates.
void CheckVst3Parameters(const Options& options, Report& report) {
  report.Begin("vst3.parameters");
  auto driver = formatchecks::Load<Vst3Driver>(options, report, "vst3.parameters");
  if (!driver) return;
  Vst3Host& host = driver->Host();
  const int count = host.ParamCount();
  std::set<vst3::ParamID> ids;
  std::string faults;
  for (int i = 0; i < count && faults.size() < 200; ++i) {
    vst3::ParameterInfo info{};
    if (!host.ParamInfo(i, &info)) {
      faults += " no info for " + std::to_string(i) + ";";
      continue;
    }
    const std::string title = vst3host::ToUtf8(info.title, 128);
    const std::string which = " " + std::to_string(info.id) + " (" + title + ")";
    if (title.empty()) faults += which + ": no title;";
    if (!ids.insert(info.id).second) faults += which + ": id taken;";
    if (!(info.defaultNormalizedValue >= 0 && info.defaultNormalizedValue <= 1) || info.stepCount < 0)
      faults += which + ": default or steps;";
    const std::string text = host.ValueToText(info.id, host.ParamNormalized(info.id));
    double back = 0;
    if (!host.TextToValue(info.id, text, &back) || host.ValueToText(info.id, back) != text)
      faults += which + ": \"" + text + "\" does not read back;";
  }
  if (faults.empty())
    report.Pass("vst3.parameters", std::to_string(count) + " parameters, ids distinct, texts read back");
  else
    report.Fail("vst3.parameters", faults);

  CheckFormatParameterThreads<Vst3Driver>(options, report);
}

void CheckVst3Lifecycle(const Options& options, Report& report) { CheckFormatLifecycle<Vst3Driver>(options, report); }
void CheckVst3Processing(const Options& options, Report& report) { CheckFormatProcessing<Vst3Driver>(options, report); }
void CheckVst3AudioThread(const Options& options, Report& report) {
  CheckFormatAudioThread<Vst3Driver>(options, report);
}
void CheckVst3State(const Options& options, Report& report) { CheckFormatState<Vst3Driver>(options, report); }
void CheckVst3Editor(const Options& options, Report& report) { CheckFormatEditor<Vst3Driver>(options, report); }

}  // namespace validator
