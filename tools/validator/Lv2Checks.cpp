// The checks of an LV2 plug-in (a bundle folder, Linux): the bundle read
// through lilv, the plug-in's ports, UI and presets, and the families a CLAP
// and a VST 3 plug-in share (FormatChecks.h) driven through the LV2 host,
// with what LV2 has of its own: instances without the options feature, runs
// longer than the block length, presets, and the state as a host's session
// keeps it. The thread that loads an instance is the host's main thread.
//
// Where LV2 differs: a port carries no value texts, so the text round trip of
// the other formats' parameter checks has nothing to read (the port
// descriptions are checked instead); samples are 32-bit floats alone, so the
// 64-bit half of the processing check is refused; control ports are read once
// per run, so a parameter point takes effect at the run's start; a state's
// values are handed over whole, so nothing is saved or loaded in pieces.
#include <lv2/state/state.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "FormatChecks.h"
#include "Validator.h"
#include "platform/FileSystem.h"
#include "tools/lv2host/Lv2Host.h"

namespace validator {

namespace {

using lv2host::Lv2Host;
using lv2host::PortInfo;

// A note-on (velocity above 0, as a fraction of the loudest) or note-off
// as the MIDI bytes an atom input carries.
lv2host::MidiEvent NoteEvent(int frame, int key, double velocity) {
  const auto note = static_cast<std::uint8_t>(key & 0x7f);
  const auto strength = static_cast<std::uint8_t>(std::clamp(std::lround(velocity * 127), 1L, 127L));
  return {static_cast<std::uint32_t>(frame),
          velocity > 0 ? std::vector<std::uint8_t>{0x90, note, strength} : std::vector<std::uint8_t>{0x80, note, 64}};
}

// The window a UI is made in: LV2 gives a host no UI size before the UI
// exists, which asks for its size through the resize feature afterwards.
constexpr int kEditorWidth = 400, kEditorHeight = 300;

// One instance in the LV2 host, as the shared checks drive it. A parameter
// is a control input, numbered in port order.
class Lv2Driver {
 public:
  static constexpr const char* kFormat = "lv2";
  static constexpr bool kSampleSizeEachBlock = true;
  struct Block {
    std::vector<lv2host::MidiEvent> midi;
    std::vector<std::pair<std::uint32_t, double>> params;  // a parameter and where in its range (0 to 1)
  };
  static void AddNote(Block& block, int offset, int key, double velocity) {
    block.midi.push_back(NoteEvent(offset, key, velocity));
  }
  static void AddParam(Block& block, int /*offset*/, std::uint32_t id, double value) {
    block.params.emplace_back(id, value);
  }

  explicit Lv2Driver(bool offerOptions = true) : offerOptions_(offerOptions) {}

  bool Load(const Options& options, std::string* error) {
    bundle_ = options.plugin;
    uri_ = options.uri;
    if (uri_.empty()) {
      const std::vector<std::string> uris = Lv2Host::PluginUris(bundle_);
      if (uris.empty()) {
        *error = "the bundle '" + bundle_ + "' describes no plug-in";
        return false;
      }
      uri_ = uris.front();
    }
    return Instantiate(error);
  }
  // The rate and the block lengths are given at instantiation: another
  // rate or length makes a new instance.
  bool Activate(double rate, int maxBlock) {
    if (rate != rate_ || maxBlock != maxBlock_) {
      rate_ = rate;
      maxBlock_ = maxBlock;
      Instantiate(nullptr);
    }
    host_.Activate();
    return host_.Active();
  }
  bool SetDoublePrecision(bool on) { return !on; }
  void Deactivate() { host_.Deactivate(); }
  // LV2's activate starts the instance afresh, as at a transport stop.
  void Reset() {
    host_.Deactivate();
    host_.Activate();
  }
  void Process(int frames, const Block& block) {
    for (const auto& [id, where] : block.params) SetParameter(id, where);
    host_.Run(static_cast<std::uint32_t>(frames), midiInput_ ? block.midi : noMidi_);
  }
  const std::vector<double>& Left() const { return host_.Left(); }
  const std::vector<double>& Right() const { return host_.Right(); }

  int ParamCount() const { return static_cast<int>(parameters_.size()); }
  std::uint32_t ParamId(int index) const { return static_cast<std::uint32_t>(index); }
  // The control ports are the host's own memory; the one call into the
  // plug-in a host's main thread makes while audio runs is a state save.
  void TouchParameter(std::uint32_t /*id*/, double /*value*/) { host_.SaveRaw(&touched_); }
  int WrongThreadCalls() const { return host_.OffUiThreadCalls(); }

  // The state is the first value the plug-in stores (a plug-in that stores
  // several has the others left as they are).
  bool SaveState(std::vector<std::uint8_t>* bytes, std::size_t /*chunk*/) {
    std::vector<lv2host::StateValue> values;
    if (host_.SaveRaw(&values) != LV2_STATE_SUCCESS || values.empty()) return false;
    stateKey_ = values.front().key;
    stateType_ = values.front().type;
    *bytes = std::move(values.front().bytes);
    return true;
  }
  bool LoadState(const std::vector<std::uint8_t>& bytes, std::size_t /*chunk*/) {
    std::vector<std::uint8_t> learned;
    if (stateKey_.empty() && !SaveState(&learned, SIZE_MAX)) return false;
    return host_.RestoreRaw(stateKey_, stateType_, bytes) == LV2_STATE_SUCCESS;
  }

  bool HasEditor() const {
    const std::vector<lv2host::UiInfo> uis = host_.Uis();
    return std::any_of(uis.begin(), uis.end(), [](const lv2host::UiInfo& ui) { return ui.x11; });
  }
  bool OpenEditor(EditorWindowSystem& windows, void** window) {
    *window = windows.NewWindow(kEditorWidth, kEditorHeight);
    return *window && host_.OpenUi(static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(*window)));
  }
  void TurnEditor() { host_.UiIdle(); }
  // An LV2 UI lives on the host's idle calls alone: it registers nothing
  // that could be left behind.
  bool CloseEditor() {
    host_.CloseUi();
    return true;
  }

  Lv2Host& Host() { return host_; }
  const std::string& Uri() const { return uri_; }

 private:
  bool Instantiate(std::string* error) {
    host_.OfferOptions(offerOptions_);
    host_.SetSampleRate(rate_);
    host_.SetBlockLengths(static_cast<std::uint32_t>(maxBlock_), static_cast<std::uint32_t>(maxBlock_));
    parameters_.clear();
    midiInput_ = false;
    if (!host_.Load(bundle_, uri_, error)) return false;
    for (std::uint32_t i = 0; i < host_.PortCount(); ++i) {
      const PortInfo& port = host_.Port(i);
      if (port.kind == PortInfo::kControl && port.input) parameters_.push_back(i);
      if (port.kind == PortInfo::kAtom && port.input) midiInput_ = true;
    }
    return true;
  }

  // A control input set as a host's slider sets it: in its range, whole
  // numbers for an integer port.
  void SetParameter(std::uint32_t id, double where) {
    if (id >= parameters_.size()) return;
    const PortInfo& port = host_.Port(parameters_[id]);
    const bool ranged = std::isfinite(port.minimum) && std::isfinite(port.maximum);
    double value = ranged ? port.minimum + where * (port.maximum - port.minimum) : where;
    if (port.integer) value = std::round(value);
    *host_.Control(parameters_[id]) = static_cast<float>(value);
  }

  Lv2Host host_;
  bool offerOptions_;
  std::string bundle_, uri_;
  double rate_ = 48000;
  int maxBlock_ = 4096;
  std::vector<std::uint32_t> parameters_;  // port indices of the control inputs
  bool midiInput_ = false;
  const std::vector<lv2host::MidiEvent> noMidi_;
  std::vector<lv2host::StateValue> touched_;
  std::string stateKey_, stateType_;
};

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool Whole(float value) { return std::isfinite(value) && value == std::round(value); }

// Every port of a kind a host connects, named, with a unique symbol; every
// control input with a range that holds its default, whole numbers where it
// says integer, and named values inside the range where it says enumeration.
void CheckPorts(Lv2Host& host, Report& report) {
  report.Begin("lv2.ports");
  std::set<std::string> symbols;
  int audioOutputs = 0, midiInputs = 0, controls = 0, stepped = 0, enumerations = 0;
  std::string faults;
  for (std::uint32_t i = 0; i < host.PortCount() && faults.size() < 300; ++i) {
    const PortInfo& port = host.Port(i);
    const std::string which = " " + std::to_string(i) + " (" + port.symbol + ")";
    if (port.kind == PortInfo::kOther) faults += which + ": of no kind a host connects;";
    if (port.symbol.empty() || port.name.empty()) faults += which + ": no symbol or name;";
    if (!symbols.insert(port.symbol).second) faults += which + ": symbol taken;";
    if (port.kind == PortInfo::kAudio && !port.input) ++audioOutputs;
    if (port.kind == PortInfo::kAtom && port.input) ++midiInputs;
    if (port.kind != PortInfo::kControl || !port.input) continue;
    ++controls;
    // NaN, where the bundle gives no value, fails every comparison.
    if (!(port.minimum < port.maximum && port.minimum <= port.defaultValue && port.defaultValue <= port.maximum))
      faults += which + ": no range holding the default;";
    if (port.integer) {
      ++stepped;
      if (!Whole(port.minimum) || !Whole(port.maximum) || !Whole(port.defaultValue))
        faults += which + ": integer, yet its range or default is not;";
    }
    if (port.enumeration) {
      ++enumerations;
      if (port.scalePoints.empty()) faults += which + ": an enumeration without named values;";
    }
    for (const lv2host::ScalePoint& point : port.scalePoints)
      if (point.label.empty() || !(port.minimum <= point.value && point.value <= port.maximum))
        faults += which + ": the named value \"" + point.label + "\" is unnamed or out of range;";
  }
  if (audioOutputs == 0) faults += " no audio output;";
  if (!faults.empty()) {
    report.Fail("lv2.ports", faults);
    return;
  }
  char detail[200];
  std::snprintf(detail, sizeof detail,
                "%u ports: %d audio outputs, %d atom inputs, %d control inputs whose ranges hold their defaults, "
                "%d of them integer, %d with named values",
                host.PortCount(), audioOutputs, midiInputs, controls, stepped, enumerations);
  report.Pass("lv2.ports", detail);
}

// Without the options feature the plug-in learns no block length: runs of
// any length, up to and past the one it then assumes, must render.
void CheckWithoutOptions(const Options& options, Report& report) {
  const char* check = "lv2.lifecycle.no-options";
  report.Begin(check);
  Lv2Driver driver(false);
  std::string error;
  if (!driver.Load(options, &error)) {
    report.Fail(check, error);
    return;
  }
  const double rates[] = {22050, 44100, 192000};
  const int lengths[] = {1, 64, 4095, 4096, 4097, 10000, 40000};
  for (double rate : rates) {
    report.Step("instantiated at %.0f Hz without the options feature", rate);
    if (!driver.Activate(rate, 4096)) {
      report.Fail(check, "instantiation at " + std::to_string(static_cast<int>(rate)) + " Hz refused");
      return;
    }
    for (int frames : lengths) {
      Lv2Driver::Block block;
      Lv2Driver::AddNote(block, 0, 60, 0.8);
      Lv2Driver::AddNote(block, frames - 1, 60, 0);
      driver.Process(frames, block);
      if (!formatchecks::Finite(driver)) {
        report.Fail(check, "a sample is not finite in a run of " + std::to_string(frames) + " frames at " +
                               std::to_string(static_cast<int>(rate)) + " Hz");
        return;
      }
    }
    driver.Deactivate();
  }
  report.Pass(check,
              "instances at 22050, 44100 and 192000 Hz with no block length given rendered runs of 1 to "
              "40000 frames finite");
}

// Runs longer than the block length the options gave, as some hosts make
// them, with notes at their first and last frames and a playing transport;
// MIDI Thru, where the plug-in writes it, stays inside the output's room and
// its run, in order.
void CheckLongRuns(const Options& options, Report& report) {
  const char* check = "lv2.process.long";
  report.Begin(check);
  auto driver = formatchecks::Load<Lv2Driver>(options, report, check);
  constexpr int kBlock = 256, kLongest = 40000;
  if (!driver) return;
  if (!driver->Activate(48000, kBlock)) {
    report.Fail(check, "activation at 48 kHz refused");
    return;
  }
  Lv2Host& host = driver->Host();
  lv2host::Position position;
  std::mt19937 random(options.seed);
  const int runs = options.quick ? 20 : 100;
  std::size_t thru = 0;
  double loudest = 0;
  for (int run = 0; run < runs; ++run) {
    const auto frames = static_cast<std::uint32_t>(kBlock + 1 + random() % (kLongest - kBlock));
    report.Step("a run of %u frames", frames);
    const int key = 48 + run % 24;
    host.Run(frames, {NoteEvent(0, key, 0.9), NoteEvent(static_cast<int>(frames) - 1, key, 0)}, &position);
    position.frame += frames;
    if (!formatchecks::Finite(*driver)) {
      report.Fail(check, "a sample is not finite in a run of " + std::to_string(frames) + " frames");
      return;
    }
    std::uint32_t last = 0;
    for (const lv2host::MidiEvent& event : host.OutputMidi()) {
      if (event.frame >= frames || event.frame < last) {
        report.Fail(check, "a MIDI Thru event at frame " + std::to_string(event.frame) + " of a run of " +
                               std::to_string(frames) + " frames, after one at " + std::to_string(last));
        return;
      }
      last = event.frame;
    }
    if (host.OutputFaulty()) {
      report.Fail(check, "the MIDI Thru output written past its room or unreadable");
      return;
    }
    thru += host.OutputMidi().size();
    loudest = std::max(loudest, formatchecks::Peak(*driver));
  }
  char detail[200];
  std::snprintf(detail, sizeof detail,
                "%d runs of %d to %d frames past a block length of %d, transport playing: peak %.3f, %zu MIDI Thru "
                "events each inside its run",
                runs, kBlock + 1, kLongest, kBlock, loudest, thru);
  report.Pass(check, detail);
}

// Every preset applied as a host applies it, between runs: each of its
// values names a control input and lies in the port's range, and the
// instance renders finite samples with it.
void CheckPresetsLoad(const Options& options, Report& report) {
  const char* check = "lv2.presets.load";
  report.Begin(check);
  auto driver = formatchecks::Load<Lv2Driver>(options, report, check);
  if (!driver || !driver->Activate(48000, 512)) return;
  Lv2Host& host = driver->Host();
  const std::vector<lv2host::Preset> presets = host.Presets();
  if (presets.empty()) {
    report.Skip(check, "the bundle lists no presets");
    return;
  }
  const Lv2Driver::Block note = formatchecks::Note<Lv2Driver>(0, 60, 0.8);
  std::string faults;
  for (const lv2host::Preset& preset : presets) {
    if (faults.size() > 300) break;
    report.Step("the preset %s", preset.uri.c_str());
    const int unapplied = host.UnappliedPortValues();
    if (!host.LoadPreset(preset.uri)) {
      faults += " " + preset.uri + ": not loaded;";
      continue;
    }
    if (host.UnappliedPortValues() != unapplied) faults += " " + preset.uri + ": a value for no control input;";
    for (std::uint32_t i = 0; i < host.PortCount(); ++i) {
      const PortInfo& port = host.Port(i);
      if (port.kind != PortInfo::kControl || !port.input) continue;
      const float value = *host.Control(i);
      if (value < port.minimum || value > port.maximum) {
        faults += " " + preset.uri + ": " + port.symbol + " " + std::to_string(value) + " out of range;";
        break;
      }
    }
    driver->Process(512, note);
    if (!formatchecks::Finite(*driver)) faults += " " + preset.uri + ": a sample is not finite;";
  }
  if (faults.empty())
    report.Pass(check, std::to_string(presets.size()) +
                           " presets loaded, every value in its port's range, each rendered finite samples");
  else
    report.Fail(check, faults);
}

// The state as a host's session keeps it (lilv's Turtle: the port values
// and the plug-in's stored values) restored into a fresh instance, which
// then runs: it saves what the first instance saved.
void CheckSessionState(const Options& options, Report& report) {
  const char* check = "lv2.state.session";
  report.Begin(check);
  auto source = formatchecks::Load<Lv2Driver>(options, report, check);
  auto target = source ? formatchecks::Load<Lv2Driver>(options, report, check) : nullptr;
  if (!source || !target || !source->Activate(48000, 4096) || !target->Activate(48000, 4096)) return;
  // A state other than the first: the last preset, taken in by a run.
  const std::vector<lv2host::Preset> presets = source->Host().Presets();
  if (!presets.empty()) source->Host().LoadPreset(presets.back().uri);
  const Lv2Driver::Block none;
  source->Process(64, none);
  std::string session;
  std::vector<lv2host::StateValue> saved, restored;
  if (!source->Host().SaveState(&session) || source->Host().SaveRaw(&saved) != LV2_STATE_SUCCESS) {
    report.Fail(check, "the state could not be saved");
    return;
  }
  if (!target->Host().RestoreState(session)) {
    report.Fail(check, "lilv could not read back the session's state");
    return;
  }
  target->Process(64, none);
  target->Host().SaveRaw(&restored);
  bool same = saved.size() == restored.size();
  for (std::size_t i = 0; same && i < saved.size(); ++i)
    same = saved[i].key == restored[i].key && saved[i].type == restored[i].type && saved[i].bytes == restored[i].bytes;
  const int unapplied = target->Host().UnappliedPortValues();
  const std::string detail = std::to_string(session.size()) + " bytes of Turtle, " + std::to_string(saved.size()) +
                             " stored values, " + std::to_string(unapplied) + " port values for no control input";
  if (!same)
    report.Fail(check, "a restored instance saves another state than the one restored (" + detail + ")");
  else if (unapplied)
    report.Fail(check, detail);
  else
    report.Pass(check, detail + ", the same state saved after a run");
}

}  // namespace

bool IsLv2Plugin(const std::string& path) {
  std::string trimmed = path;
  while (!trimmed.empty() && trimmed.back() == '/') trimmed.pop_back();
  return EndsWith(trimmed, ".lv2") || platform::FileExists(platform::JoinPath(trimmed, "manifest.ttl"));
}

bool InLv2HostCallback() { return Lv2Host::InCallback(); }

void CheckLv2Load(const Options& options, Report& report) {
  report.Begin("lv2.load");
  auto driver = formatchecks::Load<Lv2Driver>(options, report, "lv2.load");
  if (!driver) return;
  Lv2Host& host = driver->Host();
  report.Pass("lv2.load", host.PluginName() + " (" + driver->Uri() + "), verified by lilv and instantiated");
  CheckPorts(host, report);

  report.Begin("lv2.ui");
  const std::vector<lv2host::UiInfo> uis = host.Uis();
  const auto x11 = std::find_if(uis.begin(), uis.end(), [](const lv2host::UiInfo& ui) { return ui.x11; });
  if (x11 != uis.end())
    report.Pass("lv2.ui", "an X11 UI, " + x11->uri + ", among " + std::to_string(uis.size()) + " listed");
  else
    report.Skip("lv2.ui", uis.empty() ? "the plug-in lists no UI" : "none of its UIs is an X11 UI");

  report.Begin("lv2.presets");
  const std::vector<lv2host::Preset> presets = host.Presets();
  const auto unlabelled =
      std::count_if(presets.begin(), presets.end(), [](const lv2host::Preset& preset) { return preset.label.empty(); });
  if (presets.empty())
    report.Skip("lv2.presets", "the bundle lists no presets");
  else if (unlabelled)
    report.Fail("lv2.presets", std::to_string(unlabelled) + " of " + std::to_string(presets.size()) +
                                   " presets have no label for a host to show");
  else
    report.Pass("lv2.presets", std::to_string(presets.size()) + " presets listed, each with a label");

  // Hosts scan by making and dropping instances.
  report.Begin("lv2.instances");
  int made = 0;
  for (int i = 0; i < 5; ++i) {
    Lv2Host other;
    std::string error;
    if (other.Load(options.plugin, driver->Uri(), &error)) ++made;
  }
  if (made == 5)
    report.Pass("lv2.instances", "5 instances made and freed");
  else
    report.Fail("lv2.instances", std::to_string(made) + " of 5 instances made");
}

void CheckLv2Lifecycle(const Options& options, Report& report) {
  CheckFormatLifecycle<Lv2Driver>(options, report);
  CheckWithoutOptions(options, report);
}

void CheckLv2Processing(const Options& options, Report& report) {
  CheckFormatProcessing<Lv2Driver>(options, report);
  CheckLongRuns(options, report);
}

void CheckLv2AudioThread(const Options& options, Report& report) { CheckFormatAudioThread<Lv2Driver>(options, report); }

void CheckLv2Parameters(const Options& options, Report& report) {
  CheckFormatParameterThreads<Lv2Driver>(options, report);
  CheckPresetsLoad(options, report);
}

void CheckLv2State(const Options& options, Report& report) {
  {
    report.Begin("lv2.state");
    auto driver = formatchecks::Load<Lv2Driver>(options, report, "lv2.state");
    if (!driver) return;
    if (!driver->Host().ExtensionData(LV2_STATE__interface)) {
      report.Skip("lv2.state", "the plug-in keeps its state in its control ports alone");
      return;
    }
  }
  CheckFormatState<Lv2Driver>(options, report);
  CheckSessionState(options, report);
}

void CheckLv2Editor(const Options& options, Report& report) { CheckFormatEditor<Lv2Driver>(options, report); }

}  // namespace validator
