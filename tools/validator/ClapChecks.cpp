// The checks of a CLAP plug-in (a .clap file), in the same families as a
// VST 2.4 plug-in's: loading and the factory, activation at odd rates and
// block sizes, processing, the audio thread, parameters queried while audio
// runs, state, and editor cycles while audio runs.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "AudioThreadWatch.h"
#include "EditorWindow.h"
#include "Validator.h"
#include "tools/claphost/ClapHost.h"

namespace validator {

namespace {

using claphost::ClapHost;
using namespace clap;

std::unique_ptr<ClapHost> Load(const Options& options, Report& report, const char* check) {
  auto host = std::make_unique<ClapHost>();
  std::string error;
  if (!host->Load(options.plugin, &error)) {
    report.Fail(check, error);
    return nullptr;
  }
  return host;
}

bool Finite(const ClapHost& host) {
  for (std::size_t i = 0; i < host.Left().size(); ++i)
    if (!std::isfinite(host.Left()[i]) || !std::isfinite(host.Right()[i])) return false;
  return true;
}

double Peak(const ClapHost& host) {
  double peak = 0;
  for (double sample : host.Left()) peak = std::max(peak, std::abs(sample));
  return peak;
}

}  // namespace

bool IsClapPlugin(const std::string& path) { return path.size() > 5 && path.compare(path.size() - 5, 5, ".clap") == 0; }

void CheckClapLoad(const Options& options, Report& report) {
  report.Begin("clap.load");
  auto host = Load(options, report, "clap.load");
  if (!host) return;
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

void CheckClapLifecycle(const Options& options, Report& report) {
  report.Begin("clap.lifecycle");
  auto host = Load(options, report, "clap.lifecycle");
  if (!host) return;
  const double rates[] = {1, 100, 1000, 8000, 44100, 48000, 96000, 768000};
  const std::uint32_t sizes[] = {1, 64, 4096};
  int activations = 0, refused = 0;
  for (double rate : rates)
    for (std::uint32_t size : sizes) {
      report.Step("activated at %.0f Hz with blocks of up to %u frames", rate, size);
      if (!host->Activate(rate, size)) {
        ++refused;
        continue;
      }
      ++activations;
      host->Process(size, {claphost::NoteOn(0, 60, 0.8)});
      host->Plugin()->reset(host->Plugin());
      for (int block = 0; block < 4; ++block) host->Process(size);
      const bool finite = Finite(*host);
      host->Deactivate();
      if (!finite) {
        report.Fail("clap.lifecycle", "a sample is not finite at " + std::to_string(rate) + " Hz");
        return;
      }
    }
  report.Pass("clap.lifecycle", std::to_string(activations) + " activations rendered finite samples, " +
                                    std::to_string(refused) + " refused");
}

void CheckClapProcessing(const Options& options, Report& report) {
  report.Begin("clap.process");
  auto host = Load(options, report, "clap.process");
  if (!host) return;
  constexpr std::uint32_t kMax = 4096;
  if (!host->Activate(48000, kMax)) {
    report.Fail("clap.process", "activation at 48 kHz refused");
    return;
  }
  std::mt19937 random(options.seed);
  const int blocks = options.quick ? 200 : 2000;
  double loudest = 0;
  for (int block = 0; block < blocks; ++block) {
    const std::uint32_t frames = 1 + random() % kMax;
    std::vector<claphost::Event> events;
    // Events at the first and the last frame of the block.
    if (block % 10 == 0) events.push_back(claphost::NoteOn(0, 48 + block % 24, 0.9));
    if (block % 10 == 5) events.push_back(claphost::NoteOff(frames - 1, 48 + (block - 5) % 24));
    host->Process(frames, events, block % 2 == 1);
    if (!Finite(*host)) {
      report.Fail("clap.process", "a sample is not finite in block " + std::to_string(block));
      return;
    }
    loudest = std::max(loudest, Peak(*host));
  }
  char detail[120];
  std::snprintf(detail, sizeof detail, "%d blocks of 1 to %u frames, 32 and 64 bits: peak %.3f", blocks, kMax, loudest);
  report.Pass("clap.process", detail);
}

void CheckClapAudioThread(const Options& options, Report& report) {
  report.Begin("clap.audiothread");
  if (!AudioThreadWatchAvailable()) {
    report.Skip("clap.audiothread", "calls cannot be interposed in this build");
    return;
  }
  auto host = Load(options, report, "clap.audiothread");
  if (!host || !host->Activate(48000, 1024)) return;
  // The host's event lists, made before the watch starts.
  std::vector<claphost::Event> notes[4];
  for (int i = 0; i < 4; ++i) notes[i] = {claphost::NoteOn(3, 45 + 7 * i, 0.8), claphost::ParamValue(100, 43, 0.2 * i)};
  const std::vector<claphost::Event> none;
  for (int block = 0; block < 16; ++block) host->Process(1024, block == 0 ? notes[0] : none);

  const int blocks = options.quick ? 200 : 2000;
  AudioThreadCounts total;
  for (int block = 0; block < blocks; ++block) {
    const std::uint32_t frames = static_cast<std::uint32_t>(64 + block * 37 % 961);
    StartAudioThreadWatch();
    host->Process(frames, block % 16 == 0 ? notes[block / 16 % 4] : none);
    total.Add(StopAudioThreadWatch());
  }
  char detail[200];
  std::snprintf(detail, sizeof detail,
                "%d blocks: %lld allocations, %lld frees, %lld file calls, %lld locks that wait, "
                "%lld waits, %lld try-locks",
                blocks, static_cast<long long>(total.allocations), static_cast<long long>(total.frees),
                static_cast<long long>(total.fileCalls), static_cast<long long>(total.locks),
                static_cast<long long>(total.waits), static_cast<long long>(total.tryLocks));
  if (total.allocations + total.frees + total.fileCalls + total.locks + total.waits > 0)
    report.Fail("clap.audiothread", detail);
  else
    report.Pass("clap.audiothread", detail);
}

// Every parameter described sensibly, its texts read back, and the main
// thread's queries answered while the audio thread plays and automates.
void CheckClapParameters(const Options& options, Report& report) {
  report.Begin("clap.parameters");
  auto host = Load(options, report, "clap.parameters");
  if (!host || !host->Activate(48000, 256)) return;
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

  report.Begin("clap.parameters.threads");
  std::atomic<bool> done{false}, finite{true};
  std::thread audio([&] {
    for (int block = 0; !done.load(); ++block) {
      host->Process(256, {claphost::ParamValue(block % 256, block % std::max(count, 1u), (block % 100) / 100.0)});
      finite = finite && Finite(*host);
    }
  });
  long queries = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.quick ? 200 : 1000);
  while (std::chrono::steady_clock::now() < end)
    for (std::uint32_t i = 0; i < count; ++i, ++queries) host->ValueToText(i, host->ParamValue(i));
  done = true;
  audio.join();
  if (finite)
    report.Pass("clap.parameters.threads", std::to_string(queries) + " queries while the audio thread automated");
  else
    report.Fail("clap.parameters.threads", "a sample is not finite");
}

void CheckClapState(const Options& options, Report& report) {
  report.Begin("clap.state");
  auto host = Load(options, report, "clap.state");
  auto other = host ? Load(options, report, "clap.state") : nullptr;
  if (!host || !other) return;
  std::vector<std::uint8_t> saved, again;
  if (!host->SaveState(&saved, 61) || !other->LoadState(saved, 37) || !other->SaveState(&again) || again != saved) {
    report.Fail("clap.state", "a saved state does not load into another instance and save the same");
    return;
  }
  report.Pass("clap.state", std::to_string(saved.size()) + " bytes, saved in pieces, loaded in others");

  // Cut at every length (every 13th past 4 KiB in quick mode): refused or
  // taken, and when refused the instance is unchanged.
  report.Begin("clap.state.truncated");
  std::vector<std::uint8_t> before;
  other->SaveState(&before);
  int refused = 0, changed = 0;
  for (std::size_t length = 0; length < saved.size(); length += options.quick && length > 4096 ? 13 : 1) {
    report.Step("a state cut at %lu bytes", static_cast<unsigned long>(length));
    const std::vector<std::uint8_t> cut(saved.begin(), saved.begin() + static_cast<std::ptrdiff_t>(length));
    if (other->LoadState(cut)) continue;
    ++refused;
    std::vector<std::uint8_t> now;
    other->SaveState(&now);
    if (now != before) ++changed;
  }
  const std::string detail =
      std::to_string(refused) + " cut states refused, " + std::to_string(changed) + " of them changed the instance";
  if (changed)
    report.Fail("clap.state.truncated", detail);
  else
    report.Pass("clap.state.truncated", detail);
}

// Created, embedded, run and destroyed several times while audio runs.
void CheckClapEditor(const Options& options, Report& report) {
  report.Begin("clap.editor");
  auto host = Load(options, report, "clap.editor");
  if (!host || !host->Activate(44100, 256)) return;
  auto* gui = host->PluginExtension<clap_plugin_gui>(CLAP_EXT_GUI);
  if (!gui) {
    report.Skip("clap.editor", "the plug-in has no editor");
    return;
  }
  std::string error;
  std::unique_ptr<EditorWindowSystem> windows = OpenEditorWindowSystem(error);
  if (!windows) {
    report.Skip("clap.editor", error);
    return;
  }
  const char* api =
      gui->is_api_supported(host->Plugin(), CLAP_WINDOW_API_X11, false) ? CLAP_WINDOW_API_X11 : CLAP_WINDOW_API_WIN32;
  std::atomic<bool> done{false};
  std::atomic<long> processed{0};
  std::thread audio([&] {
    while (!done.load()) {
      host->Process(256, processed % 100 == 0 ? std::vector<claphost::Event>{claphost::NoteOn(0, 64, 0.8)}
                                              : std::vector<claphost::Event>{});
      ++processed;
    }
  });
  const int openings = options.quick ? 3 : 10;
  int opened = 0;
  for (int i = 0; i < openings; ++i) {
    std::uint32_t width = 400, height = 300;
    if (!gui->create(host->Plugin(), api, false)) continue;
    gui->get_size(host->Plugin(), &width, &height);
    void* window = windows->NewWindow(static_cast<int>(width), static_cast<int>(height));
    clap_window parent{};
    parent.api = api;
    if (api == CLAP_WINDOW_API_X11)
      parent.x11 = static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(window));
    else
      parent.win32 = window;
    if (window && gui->set_parent(host->Plugin(), &parent) && gui->show(host->Plugin())) ++opened;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.quick ? 150 : 400);
    while (std::chrono::steady_clock::now() < end) {
      windows->Pump();
      host->RunEventLoopOnce();
      host->RunMainThreadCallback();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    gui->destroy(host->Plugin());
    if (window) windows->RemoveWindow(window);
  }
  done = true;
  audio.join();
  const std::string detail = std::to_string(opened) + " of " + std::to_string(openings) + " openings shown, " +
                             std::to_string(processed.load()) + " blocks processed meanwhile";
  if (opened == 0)
    report.Fail("clap.editor", detail);
  else
    report.Pass("clap.editor", detail);
}

}  // namespace validator
