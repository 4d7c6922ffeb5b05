// kestrion-validate: runs any VST 2.4, CLAP, VST 3 or LV2 plug-in through
// the checks a host relies on and reports each one as PASS, FAIL or SKIP with
// a detail.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tools/vsthost/VstHost.h"

namespace validator {

struct Options {
  bool quick = false;
  std::uint32_t seed = 1;
  double timeLimit = 0;  // seconds a group of checks may take; 0 for the default
  std::string plugin;
  std::string uri;  // the LV2 plug-in of the bundle to check; empty for its first
  // Set in a group's own process where the platform starts it afresh (Windows).
  std::string group, progress;
};

// What a group of checks has counted and is doing, kept where the parent
// process reads it when the group's process crashes or hangs.
struct Progress {
  int passed = 0, failed = 0, skipped = 0;
  bool finished = false;
  char check[64] = {};  // the check in progress
  char step[192] = {};  // what it is doing, when it says
};

// Counts and prints the outcome of every check as it is made.
class Report {
 public:
  explicit Report(Progress& progress) : progress_(progress) {}
  // Names the check about to run, so that a crash or a hang is reported as
  // its failure.
  void Begin(const char* name);
  // What the check is doing now (printf style), for the same report.
  void Step(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Pass(const std::string& name, const std::string& detail);
  void Fail(const std::string& name, const std::string& detail);
  void Skip(const std::string& name, const std::string& detail);
  const Progress& Counts() const { return progress_; }

 private:
  Progress& progress_;
};

// One loaded and opened instance, ready to process at `rate` with blocks of
// up to `maxBlock` frames, with buffers for float and double processing.
struct Instance {
  vsthost::VstHost host;
  std::vector<std::vector<float>> inputs, outputs;
  std::vector<std::vector<double>> inputsDouble, outputsDouble;
  std::vector<float*> inputPointers, outputPointers;
  std::vector<double*> inputPointersDouble, outputPointersDouble;
  std::int32_t maxBlock = 0;
};

// Loads, opens and starts an instance; null with `error` set on failure.
std::unique_ptr<Instance> OpenInstance(const std::string& path, double rate, std::int32_t maxBlock, std::string* error);
// Stops, sets the rate and block size and starts again, as hosts do.
void Restart(Instance& instance, double rate, std::int32_t maxBlock);
// Note-on (velocity > 0) or note-off events sent through effProcessEvents;
// no allocation, so the audio thread watch sees only the plug-in.
void SendNotes(Instance& instance, const int* keys, int count, int velocity);
void AllNotesOff(Instance& instance);
// Fills the input buffers with a tone at `level` (0 for silence), so that
// effects have something to work on.
void FeedInput(Instance& instance, float level);
// One block of `frames` through processReplacing (or the accumulating call).
void ProcessFloat(Instance& instance, std::int32_t frames);
void ProcessDouble(Instance& instance, std::int32_t frames);
// Peak of the last block's outputs; NaN when any sample is NaN or infinite.
double PeakFloat(const Instance& instance, std::int32_t frames);
double PeakDouble(const Instance& instance, std::int32_t frames);
// Renders `blocks` blocks of `frames` after the given notes, appending the
// first output channel.
std::vector<float> Render(Instance& instance, const int* keys, int count, int blocks, std::int32_t frames);

// The checks, one module each; each group runs in a process of its own.
void CheckLoad(const Options& options, Report& report);
void CheckLifecycle(const Options& options, Report& report);
void CheckProcessing(const Options& options, Report& report);
void CheckExtremes(const Options& options, Report& report);
void CheckAudioThread(const Options& options, Report& report);
void CheckParameters(const Options& options, Report& report);
void CheckState(const Options& options, Report& report);
void CheckEditor(const Options& options, Report& report);
void CheckConcurrentCreation(const Options& options, Report& report);

// A CLAP plug-in (ClapChecks.cpp): the same families of checks through a
// CLAP host.
bool IsClapPlugin(const std::string& path);
void CheckClapLoad(const Options& options, Report& report);
void CheckClapLifecycle(const Options& options, Report& report);
void CheckClapProcessing(const Options& options, Report& report);
void CheckClapAudioThread(const Options& options, Report& report);
void CheckClapParameters(const Options& options, Report& report);
void CheckClapState(const Options& options, Report& report);
void CheckClapEditor(const Options& options, Report& report);

// A VST 3 plug-in (Vst3Checks.cpp): a bundle folder `Name.vst3` or the
// binary inside it, through a VST 3 host.
bool IsVst3Plugin(const std::string& path);
void CheckVst3Load(const Options& options, Report& report);
void CheckVst3Lifecycle(const Options& options, Report& report);
void CheckVst3Processing(const Options& options, Report& report);
void CheckVst3AudioThread(const Options& options, Report& report);
void CheckVst3Parameters(const Options& options, Report& report);
void CheckVst3State(const Options& options, Report& report);
void CheckVst3Editor(const Options& options, Report& report);

// An LV2 plug-in (Lv2Checks.cpp; Lv2Checks_off.cpp where LV2 is not built):
// a bundle folder, through an LV2 host on lilv.
bool IsLv2Plugin(const std::string& path);
// True while the LV2 host works on the calling thread, not the plug-in.
bool InLv2HostCallback();
void CheckLv2Load(const Options& options, Report& report);
void CheckLv2Lifecycle(const Options& options, Report& report);
void CheckLv2Processing(const Options& options, Report& report);
void CheckLv2AudioThread(const Options& options, Report& report);
void CheckLv2Parameters(const Options& options, Report& report);
void CheckLv2State(const Options& options, Report& report);
void CheckLv2Editor(const Options& options, Report& report);

}  // namespace validator
