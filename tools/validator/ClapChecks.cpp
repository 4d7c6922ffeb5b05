// The checks of a CLAP plug-in (a .clap file), in the same families as a
// VST 2.4 plug-in's: loading and the factory, activation at odd rates and
// block sizes, processing, the audio thread, parameters queried while audio
// runs, state, and editor cycles while audio runs. All but loading and the
// parameters' descriptions are the families a VST 3 plug-in shares
// (FormatChecks.h), driven through the CLAP host.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "FormatChecks.h"
#include "Validator.h"
#include "tools/claphost/ClapHost.h"

namespace validator {

namespace {

using claphost::ClapHost;
using namespace clap;

// One instance in the CLAP host, as the shared checks drive it; the host's
// main thread is the thread that loaded it.
class ClapDriver {
 public:
  static constexpr const char* kFormat = "clap";
  static constexpr bool kSampleSizeEachBlock = true;
  using Block = std::vector<claphost::Event>;
  static void AddNote(Block& block, int offset, int key, double velocity) {
    const auto time = static_cast<std::uint32_t>(offset);
    block.push_back(velocity > 0 ? claphost::NoteOn(time, key, velocity) : claphost::NoteOff(time, key));
  }
  static void AddParam(Block& block, int offset, std::uint32_t id, double value) {
    block.push_back(claphost::ParamValue(static_cast<std::uint32_t>(offset), id, value));
  }

  bool Load(const Options& options, std::string* error) { return host_.Load(options.plugin, error); }
  bool Activate(double rate, int maxBlock) { return host_.Activate(rate, static_cast<std::uint32_t>(maxBlock)); }
  bool SetDoublePrecision(bool on) {
    doublePrecision_ = on;
    return true;
  }
  void Deactivate() { host_.Deactivate(); }
  void Reset() { host_.Plugin()->reset(host_.Plugin()); }
  void Process(int frames, const Block& block) {
    host_.Process(static_cast<std::uint32_t>(frames), block, doublePrecision_);
  }
  const std::vector<double>& Left() const { return host_.Left(); }
  const std::vector<double>& Right() const { return host_.Right(); }

  int ParamCount() const { return static_cast<int>(host_.ParamCount()); }
  std::uint32_t ParamId(int index) const {
    clap_param_info info{};
    return host_.ParamInfo(static_cast<std::uint32_t>(index), &info) ? info.id : CLAP_INVALID_ID;
  }
  // The main thread may only read a value: changes go through the audio thread.
  void TouchParameter(std::uint32_t id, double /*value*/) { host_.ValueToText(id, host_.ParamValue(id)); }
  int WrongThreadCalls() const { return host_.WrongThreadCalls(); }

  bool SaveState(std::vector<std::uint8_t>* bytes, std::size_t chunk) { return host_.SaveState(bytes, chunk); }
  bool LoadState(const std::vector<std::uint8_t>& bytes, std::size_t chunk) { return host_.LoadState(bytes, chunk); }

  bool HasEditor() {
    gui_ = host_.PluginExtension<clap_plugin_gui>(CLAP_EXT_GUI);
    if (!gui_) return false;
    api_ = gui_->is_api_supported(host_.Plugin(), CLAP_WINDOW_API_X11, false) ? CLAP_WINDOW_API_X11
                                                                              : CLAP_WINDOW_API_WIN32;
    return true;
  }
  bool OpenEditor(EditorWindowSystem& windows, void** window) {
    if (!gui_->create(host_.Plugin(), api_, false)) return false;
    std::uint32_t width = 400, height = 300;
    gui_->get_size(host_.Plugin(), &width, &height);
    *window = windows.NewWindow(static_cast<int>(width), static_cast<int>(height));
    clap_window parent{};
    parent.api = api_;
    if (api_ == CLAP_WINDOW_API_X11)
      parent.x11 = static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(*window));
    else
      parent.win32 = *window;
    if (*window && gui_->set_parent(host_.Plugin(), &parent) && gui_->show(host_.Plugin())) return true;
    gui_->destroy(host_.Plugin());
    return false;
  }
  void TurnEditor() {
    host_.RunEventLoopOnce();
    host_.RunMainThreadCallback();
  }
  bool CloseEditor() {
    gui_->destroy(host_.Plugin());
    return host_.Timers() == 0 && host_.Descriptors() == 0;
  }

  ClapHost& Host() { return host_; }

 private:
  ClapHost host_;
  bool doublePrecision_ = false;
  const clap_plugin_gui* gui_ = nullptr;
  const char* api_ = CLAP_WINDOW_API_X11;
};

}  // namespace

bool IsClapPlugin(const std::string& path) { return path.size() > 5 && path.compare(path.size() - 5, 5, ".clap") == 0; }

void CheckClapLoad(const Options& options, Report& report) {
  report.Begin("clap.load");
  auto driver = formatchecks::Load<ClapDriver>(options, report, "clap.load");
  if (!driver) return;
  ClapHost* host = &driver->Host();
  const clap_plugin_descriptor* descriptor = host->Plugin()->desc;
  if (!descriptor || !descriptor->id || !descriptor->id[0] || !descriptor->name || !descriptor->name[0]) {
    report.Fail("clap.load", "the descriptor lacks an id or a name");
    return;
  }
  report.Pass("clap.load", std::string(descriptor->name) + " (" + descriptor->id + ") " +
                               (descriptor->version ? descriptor->version : ""));
  std::string missing;
  for (const char* id : {CLAP_EXT_PARAMS, CLAP_EXT_STATE, CLAP_EXT_AUDIO_PORTS, CLAP_EXT_NOTE_PORTS})
    if (!host->PluginExtension<void>(id)) missing += std::string(missing.empty() ? "" : ", ") + id;
  if (missing.empty())
    report.Pass("clap.extensions", "parameters, state, audio and note ports");
  else
    report.Fail("clap.extensions", "missing: " + missing);

  // Hosts scan by making and dropping instances.
  report.Begin("clap.instances");
  int made = 0;
  for (int i = 0; i < 5; ++i) {
    ClapHost other;
    std::string error;
    if (other.Load(options.plugin, &error)) ++made;
  }
  if (made == 5)
    report.Pass("clap.instances", "5 instances made and destroyed");
  else
    report.Fail("clap.instances", std::to_string(made) + " of 5 instances made");
}

// Every parameter described sensibly and its texts read back; then the
// main thread's queries while the audio thread plays and automates.
void CheckClapParameters(const Options& options, Report& report) {
  report.Begin("clap.parameters");
  auto driver = formatchecks::Load<ClapDriver>(options, report, "clap.parameters");
  if (!driver) return;
  ClapHost* host = &driver->Host();
  const std::uint32_t count = host->ParamCount();
  std::string faults;
  for (std::uint32_t i = 0; i < count && faults.size() < 200; ++i) {
    clap_param_info info{};
    if (!host->ParamInfo(i, &info)) {
      faults += " no info for " + std::to_string(i) + ";";
      continue;
    }
    if (!(info.min_value <= info.default_value && info.default_value <= info.max_value) ||
        !std::isfinite(info.min_value) || !std::isfinite(info.max_value))
      faults += std::string(" ") + info.name + ": range;";
    const std::string text = host->ValueToText(info.id, host->ParamValue(info.id));
    double back = 0;
    if (!host->TextToValue(info.id, text, &back) || host->ValueToText(info.id, back) != text)
      faults += std::string(" ") + info.name + ": \"" + text + "\" does not read back;";
  }
  if (faults.empty())
    report.Pass("clap.parameters", std::to_string(count) + " parameters, texts read back");
  else
    report.Fail("clap.parameters", faults);

  CheckFormatParameterThreads<ClapDriver>(options, report);
}

void CheckClapLifecycle(const Options& options, Report& report) { CheckFormatLifecycle<ClapDriver>(options, report); }
void CheckClapProcessing(const Options& options, Report& report) { CheckFormatProcessing<ClapDriver>(options, report); }
void CheckClapAudioThread(const Options& options, Report& report) {
  CheckFormatAudioThread<ClapDriver>(options, report);
}
void CheckClapState(const Options& options, Report& report) { CheckFormatState<ClapDriver>(options, report); }
void CheckClapEditor(const Options& options, Report& report) { CheckFormatEditor<ClapDriver>(options, report); }

}  // namespace validator
