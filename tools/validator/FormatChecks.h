// The check families a CLAP, a VST 3 and an LV2 plug-in go through alike,
// written once over a driver: a small class of each format (ClapChecks.cpp,
// Vst3Checks.cpp, Lv2Checks.cpp) that holds one instance in the format's test
// host and offers the same calls, every one of them made on the calling
// thread:
//
//   static constexpr const char* kFormat;     // the checks' prefix: "clap", "vst3", "lv2"
//   static constexpr bool kSampleSizeEachBlock;  // 64 bits chosen per block, not at setup
//   using Block;                              // one block's notes and parameter values
//   static void AddNote(Block&, int offset, int key, double velocity);  // 0: a note-off
//   static void AddParam(Block&, int offset, std::uint32_t id, double value);
//   bool Load(const Options& options, std::string* error);  // the plug-in the options name
//   bool Activate(double rate, int maxBlock);  // 32-bit samples
//   bool SetDoublePrecision(bool on);          // false: refused, 32 bits kept
//   void Deactivate();
//   void Reset();                              // as at a transport stop: voices end
//   void Process(int frames, const Block& block);
//   const std::vector<double>& Left() const;   // the last block's output
//   const std::vector<double>& Right() const;
//   int ParamCount() const;
//   std::uint32_t ParamId(int index) const;
//   void TouchParameter(std::uint32_t id, double value);  // what a host's UI thread does with it
//   int WrongThreadCalls() const;              // calls to the host on a thread not allowed for them
//   bool SaveState(std::vector<std::uint8_t>* bytes, std::size_t chunk);
//   bool LoadState(const std::vector<std::uint8_t>& bytes, std::size_t chunk);
//   bool HasEditor();
//   bool OpenEditor(EditorWindowSystem& windows, void** window);  // the window made, even when refused
//   void TurnEditor();                         // one turn of the host's loop for the editor
//   bool CloseEditor();                        // false: the editor left a timer or a descriptor
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "AudioThreadWatch.h"
#include "EditorWindow.h"
#include "Validator.h"

namespace validator {

namespace formatchecks {

template <typename Driver>
std::string Name(const char* check) {
  return std::string(Driver::kFormat) + "." + check;
}

// The instance of a check, loaded; null with the check failed.
template <typename Driver>
std::unique_ptr<Driver> Load(const Options& options, Report& report, const std::string& check) {
  auto driver = std::make_unique<Driver>();
  std::string error;
  if (!driver->Load(options, &error)) {
    report.Fail(check, error);
    return nullptr;
  }
  return driver;
}

template <typename Driver>
bool Finite(const Driver& driver) {
  for (std::size_t i = 0; i < driver.Left().size(); ++i)
    if (!std::isfinite(driver.Left()[i]) || !std::isfinite(driver.Right()[i])) return false;
  return true;
}

template <typename Driver>
double Peak(const Driver& driver) {
  double peak = 0;
  for (double sample : driver.Left()) peak = std::max(peak, std::abs(sample));
  return peak;
}

template <typename Driver>
typename Driver::Block Note(int offset, int key, double velocity) {
  typename Driver::Block block;
  Driver::AddNote(block, offset, key, velocity);
  return block;
}

}  // namespace formatchecks

// Activated at odd rates and block sizes, a note played, reset, rendered.
template <typename Driver>
void CheckFormatLifecycle(const Options& options, Report& report) {
  const std::string check = formatchecks::Name<Driver>("lifecycle");
  report.Begin(check.c_str());
  auto driver = formatchecks::Load<Driver>(options, report, check);
  if (!driver) return;
  const double rates[] = {1, 100, 1000, 8000, 44100, 48000, 96000, 768000};
  const int sizes[] = {1, 64, 4096};
  const typename Driver::Block note = formatchecks::Note<Driver>(0, 60, 0.8), none;
  int activations = 0, refused = 0;
  for (double rate : rates)
    for (int size : sizes) {
      report.Step("activated at %.0f Hz with blocks of up to %d frames", rate, size);
      if (!driver->Activate(rate, size)) {
        ++refused;
        continue;
      }
      ++activations;
      driver->Process(size, note);
      driver->Reset();
      for (int block = 0; block < 4; ++block) driver->Process(size, none);
      const bool finite = formatchecks::Finite(*driver);
      driver->Deactivate();
      if (!finite) {
        report.Fail(check, "a sample is not finite at " + std::to_string(rate) + " Hz");
        return;
      }
    }
  report.Pass(check, std::to_string(activations) + " activations rendered finite samples, " + std::to_string(refused) +
                         " refused");
}

// Blocks of random sizes with notes starting at their first frame and
// ending at their last, in 32 and in 64 bits.
template <typename Driver>
void CheckFormatProcessing(const Options& options, Report& report) {
  const std::string check = formatchecks::Name<Driver>("process");
  report.Begin(check.c_str());
  auto driver = formatchecks::Load<Driver>(options, report, check);
  if (!driver) return;
  constexpr int kMax = 4096;
  if (!driver->Activate(48000, kMax)) {
    report.Fail(check, "activation at 48 kHz refused");
    return;
  }
  std::mt19937 random(options.seed);
  const int blocks = options.quick ? 200 : 2000;
  double loudest = 0;
  bool doubleRefused = false;
  for (int block = 0; block < blocks; ++block) {
    // Where the sample size is fixed at setup, the second half is set up anew.
    const bool doublePrecision = Driver::kSampleSizeEachBlock ? block % 2 == 1 : block >= blocks / 2;
    if (!driver->SetDoublePrecision(doublePrecision && !doubleRefused)) doubleRefused = true;
    const int frames = 1 + static_cast<int>(random() % kMax);
    typename Driver::Block events;
    if (block % 10 == 0) Driver::AddNote(events, 0, 48 + block % 24, 0.9);
    if (block % 10 == 5) Driver::AddNote(events, frames - 1, 48 + (block - 5) % 24, 0);
    driver->Process(frames, events);
    if (!formatchecks::Finite(*driver)) {
      report.Fail(check, "a sample is not finite in block " + std::to_string(block));
      return;
    }
    loudest = std::max(loudest, formatchecks::Peak(*driver));
  }
  char detail[120];
  std::snprintf(detail, sizeof detail, "%d blocks of 1 to %d frames, %s: peak %.3f", blocks, kMax,
                doubleRefused ? "32 bits (64 refused)" : "32 and 64 bits", loudest);
  report.Pass(check, detail);
}

// What the plug-in does while it processes, once the first blocks (where
// lazy set-up is tolerated) are past: no allocation, no file I/O, no lock
// that waits and no wait.
template <typename Driver>
void CheckFormatAudioThread(const Options& options, Report& report) {
  const std::string check = formatchecks::Name<Driver>("audiothread");
  report.Begin(check.c_str());
  if (!AudioThreadWatchAvailable()) {
    report.Skip(check, "calls cannot be interposed in this build");
    return;
  }
  auto driver = formatchecks::Load<Driver>(options, report, check);
  if (!driver || !driver->Activate(48000, 1024)) return;
  // The host's event lists, made before the watch starts.
  typename Driver::Block notes[4], none;
  for (int i = 0; i < 4; ++i) {
    Driver::AddNote(notes[i], 3, 45 + 7 * i, 0.8);
    Driver::AddParam(notes[i], 100, 43, 0.2 * i);
  }
  for (int block = 0; block < 16; ++block) driver->Process(1024, block == 0 ? notes[0] : none);

  const int blocks = options.quick ? 200 : 2000;
  AudioThreadCounts total;
  for (int block = 0; block < blocks; ++block) {
    const int frames = 64 + block * 37 % 961;
    StartAudioThreadWatch();
    driver->Process(frames, block % 16 == 0 ? notes[block / 16 % 4] : none);
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
    report.Fail(check, detail);
  else
    report.Pass(check, detail);
}

// The host's UI thread reads (and where the format lets it, sets) every
// parameter while the audio thread plays and automates them.
template <typename Driver>
void CheckFormatParameterThreads(const Options& options, Report& report) {
  const std::string check = formatchecks::Name<Driver>("parameters.threads");
  report.Begin(check.c_str());
  auto driver = formatchecks::Load<Driver>(options, report, check);
  if (!driver || !driver->Activate(48000, 256)) return;
  std::vector<std::uint32_t> ids;
  for (int i = 0; i < driver->ParamCount(); ++i) ids.push_back(driver->ParamId(i));
  if (ids.empty()) {
    report.Skip(check, "the plug-in has no parameters");
    return;
  }
  // A point for each parameter in turn, made before the audio thread starts.
  std::vector<typename Driver::Block> points(ids.size());
  for (std::size_t i = 0; i < ids.size(); ++i)
    Driver::AddParam(points[i], static_cast<int>(i % 256), ids[i], static_cast<double>(i % 100) / 100.0);
  std::atomic<bool> done{false}, finite{true};
  std::thread audio([&] {
    for (std::size_t block = 0; !done.load(); ++block) {
      driver->Process(256, points[block % points.size()]);
      finite = finite && formatchecks::Finite(*driver);
    }
  });
  long calls = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.quick ? 200 : 1000);
  while (std::chrono::steady_clock::now() < end)
    for (std::size_t i = 0; i < ids.size(); ++i, ++calls)
      driver->TouchParameter(ids[i], static_cast<double>((calls + i) % 97) / 96.0);
  done = true;
  audio.join();
  const int wrongThread = driver->WrongThreadCalls();
  const std::string detail = std::to_string(calls) + " calls while the audio thread automated, " +
                             std::to_string(wrongThread) + " calls to the host on a wrong thread";
  if (!finite)
    report.Fail(check, "a sample is not finite");
  else if (wrongThread)
    report.Fail(check, detail);
  else
    report.Pass(check, detail);
}

// A saved state loads into another instance, both saved and loaded in
// pieces; a cut or damaged state is refused or taken, and when refused the
// instance is unchanged.
template <typename Driver>
void CheckFormatState(const Options& options, Report& report) {
  const std::string check = formatchecks::Name<Driver>("state");
  report.Begin(check.c_str());
  auto driver = formatchecks::Load<Driver>(options, report, check);
  auto other = driver ? formatchecks::Load<Driver>(options, report, check) : nullptr;
  if (!driver || !other) return;
  std::vector<std::uint8_t> saved, again;
  if (!driver->SaveState(&saved, 61) || !other->LoadState(saved, 37) || !other->SaveState(&again, SIZE_MAX) ||
      again != saved) {
    report.Fail(check, "a saved state does not load into another instance and save the same");
    return;
  }
  report.Pass(check, std::to_string(saved.size()) +
                         " bytes, loaded into another instance that saves them again (in pieces where the format "
                         "streams a state)");

  // Refused or taken; when refused, the instance must save what it saved before.
  std::vector<std::uint8_t> before;
  other->SaveState(&before, SIZE_MAX);
  int refused = 0, changed = 0;
  auto load = [&](const std::vector<std::uint8_t>& state) {
    if (other->LoadState(state, SIZE_MAX)) {
      other->SaveState(&before, SIZE_MAX);
      return;
    }
    ++refused;
    std::vector<std::uint8_t> now;
    other->SaveState(&now, SIZE_MAX);
    if (now != before) ++changed;
  };
  auto outcome = [&](const std::string& name, const char* what) {
    const std::string detail =
        std::to_string(refused) + " " + what + " refused, " + std::to_string(changed) + " of them changed the instance";
    if (changed)
      report.Fail(name, detail);
    else
      report.Pass(name, detail);
    refused = changed = 0;
  };

  // Cut at every length (every 13th past 4 KiB in quick mode).
  const std::string truncated = formatchecks::Name<Driver>("state.truncated");
  report.Begin(truncated.c_str());
  for (std::size_t length = 0; length < saved.size(); length += options.quick && length > 4096 ? 13 : 1) {
    report.Step("a state cut at %lu bytes", static_cast<unsigned long>(length));
    load(std::vector<std::uint8_t>(saved.begin(), saved.begin() + static_cast<std::ptrdiff_t>(length)));
  }
  outcome(truncated, "cut states");

  // Random bytes, whole or over a stretch of a good state.
  const std::string garbage = formatchecks::Name<Driver>("state.garbage");
  report.Begin(garbage.c_str());
  std::mt19937 random(options.seed);
  const int tries = options.quick ? 100 : 1000;
  for (int i = 0; i < tries; ++i) {
    report.Step("damaged state %d", i);
    const bool whole = i % 4 == 0 || saved.empty();
    std::vector<std::uint8_t> state = saved;
    if (whole) state.resize(random() % (saved.size() + 1));
    const std::size_t from = whole ? 0 : random() % saved.size();
    const std::size_t length = whole ? state.size() : 1 + random() % 64;
    for (std::size_t k = from; k < std::min(from + length, state.size()); ++k)
      state[k] = static_cast<std::uint8_t>(random());
    load(state);
  }
  outcome(garbage, "damaged states");
}

// The editor made, shown in a window of the validator's own, its loop
// turned, then closed, several times while another thread processes.
template <typename Driver>
void CheckFormatEditor(const Options& options, Report& report) {
  const std::string check = formatchecks::Name<Driver>("editor");
  report.Begin(check.c_str());
  auto driver = formatchecks::Load<Driver>(options, report, check);
  if (!driver || !driver->Activate(44100, 256)) return;
  if (!driver->HasEditor()) {
    report.Skip(check, "the plug-in has no editor");
    return;
  }
  std::string error;
  std::unique_ptr<EditorWindowSystem> windows = OpenEditorWindowSystem(error);
  if (!windows) {
    report.Skip(check, error);
    return;
  }
  const typename Driver::Block note = formatchecks::Note<Driver>(0, 64, 0.8), none;
  std::atomic<bool> done{false};
  std::atomic<long> processed{0};
  std::thread audio([&] {
    while (!done.load()) {
      driver->Process(256, processed % 100 == 0 ? note : none);
      ++processed;
    }
  });
  const int openings = options.quick ? 3 : 10;
  int opened = 0, leftovers = 0;
  for (int i = 0; i < openings; ++i) {
    void* window = nullptr;
    if (driver->OpenEditor(*windows, &window)) {
      ++opened;
      const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.quick ? 150 : 400);
      while (std::chrono::steady_clock::now() < end) {
        windows->Pump();
        driver->TurnEditor();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));  // a host's idle timer
      }
      if (!driver->CloseEditor()) ++leftovers;
    }
    if (window) windows->RemoveWindow(window);
  }
  done = true;
  audio.join();
  const int wrongThread = driver->WrongThreadCalls();
  const std::string detail = std::to_string(opened) + " of " + std::to_string(openings) + " openings shown, " +
                             std::to_string(leftovers) + " closed leaving a timer or descriptor, " +
                             std::to_string(wrongThread) + " calls to the host on a wrong thread, " +
                             std::to_string(processed.load()) + " blocks processed meanwhile";
  if (opened == 0 || leftovers || wrongThread)
    report.Fail(check, detail);
  else
    report.Pass(check, detail);
}

}  // namespace validator
