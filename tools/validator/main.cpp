// kestrion-validate [--quick] [--seed N] [--time-limit SECONDS] [--uri URI] PLUGIN
// PLUGIN is a VST 2.4 module, a CLAP plug-in (a .clap file), a VST 3
// plug-in (a .vst3 bundle folder or the binary inside it) or an LV2 bundle
// folder (Linux); URI picks the bundle's plug-in, its first by default.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "GroupProcess.h"
#include "Validator.h"

namespace {

struct Group {
  const char* name;
  validator::GroupFunction run;
};

// Each format's groups in the order they run, loading first.
const Group kGroups[] = {
    {"load", validator::CheckLoad},
    {"lifecycle", validator::CheckLifecycle},
    {"process", validator::CheckProcessing},
    {"extremes", validator::CheckExtremes},
    {"audiothread", validator::CheckAudioThread},
    {"parameters", validator::CheckParameters},
    {"state", validator::CheckState},
    {"editor", validator::CheckEditor},
    {"threads", validator::CheckConcurrentCreation},
};

const Group kClapGroups[] = {
    {"clap.load", validator::CheckClapLoad},
    {"clap.lifecycle", validator::CheckClapLifecycle},
    {"clap.process", validator::CheckClapProcessing},
    {"clap.audiothread", validator::CheckClapAudioThread},
    {"clap.parameters", validator::CheckClapParameters},
    {"clap.state", validator::CheckClapState},
    {"clap.editor", validator::CheckClapEditor},
};

const Group kVst3Groups[] = {
    {"vst3.load", validator::CheckVst3Load},
    {"vst3.lifecycle", validator::CheckVst3Lifecycle},
    {"vst3.process", validator::CheckVst3Processing},
    {"vst3.audiothread", validator::CheckVst3AudioThread},
    {"vst3.parameters", validator::CheckVst3Parameters},
    {"vst3.state", validator::CheckVst3State},
    {"vst3.editor", validator::CheckVst3Editor},
};

const Group kLv2Groups[] = {
    {"lv2.load", validator::CheckLv2Load},
    {"lv2.lifecycle", validator::CheckLv2Lifecycle},
    {"lv2.process", validator::CheckLv2Processing},
    {"lv2.audiothread", validator::CheckLv2AudioThread},
    {"lv2.parameters", validator::CheckLv2Parameters},
    {"lv2.state", validator::CheckLv2State},
    {"lv2.editor", validator::CheckLv2Editor},
};

// The groups for the plug-in's format, by its path.
std::vector<Group> GroupsFor(const std::string& plugin) {
  if (validator::IsLv2Plugin(plugin)) return {std::begin(kLv2Groups), std::end(kLv2Groups)};
  if (validator::IsVst3Plugin(plugin)) return {std::begin(kVst3Groups), std::end(kVst3Groups)};
  if (validator::IsClapPlugin(plugin)) return {std::begin(kClapGroups), std::end(kClapGroups)};
  return {std::begin(kGroups), std::end(kGroups)};
}

// Generous for a plug-in under the sanitizers or Wine, and still well short
// of a test's time limit.
constexpr double kQuickTimeLimit = 60;
constexpr double kFullTimeLimit = 300;

bool ParseOptions(int argc, char** argv, validator::Options& options) {
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--quick") == 0) {
      options.quick = true;
    } else if (std::strcmp(argv[i], "--seed") == 0 && hasValue) {
      options.seed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (std::strcmp(argv[i], "--time-limit") == 0 && hasValue) {
      options.timeLimit = std::strtod(argv[++i], nullptr);
      if (!(options.timeLimit > 0)) return false;
    } else if (std::strcmp(argv[i], "--group") == 0 && hasValue) {
      options.group = argv[++i];
    } else if (std::strcmp(argv[i], "--uri") == 0 && hasValue) {
      options.uri = argv[++i];
    } else if (std::strcmp(argv[i], "--progress") == 0 && hasValue) {
      options.progress = argv[++i];
    } else if (argv[i][0] != '-' && options.plugin.empty()) {
      options.plugin = argv[i];
    } else {
      return false;
    }
  }
  return !options.plugin.empty();
}

int Summary(const validator::Progress& totals) {
  std::printf("%d passed, %d failed, %d skipped\n", totals.passed, totals.failed, totals.skipped);
  return totals.failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  validator::Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: kestrion-validate [--quick] [--seed N] [--time-limit SECONDS] [--uri URI] PLUGIN\n");
    return 2;
  }
  if (!options.progress.empty()) {
    // A group's own process, started afresh by the first one.
    validator::Progress* progress = validator::ParentsProgress(options.progress);
    if (!progress) return 2;
    validator::Report report(*progress);
    for (const Group& group : GroupsFor(options.plugin))
      if (options.group == group.name) group.run(options, report);
    progress->finished = true;
    return 0;
  }

  const double seconds = options.timeLimit > 0 ? options.timeLimit : options.quick ? kQuickTimeLimit : kFullTimeLimit;
  validator::Progress totals;
  validator::Report report(totals);
  const std::vector<Group> groups = GroupsFor(options.plugin);
  for (const Group& group : groups) {
    validator::GroupOutcome outcome = validator::RunInOwnProcess(options, group.name, group.run, seconds);
    const validator::Progress& counted = outcome.progress;
    totals.passed += counted.passed;
    totals.failed += counted.failed;
    totals.skipped += counted.skipped;
    std::string where = counted.step[0] ? std::string(" (") + counted.step + ")" : "";
    if (outcome.end == validator::GroupOutcome::kTimedOut) {
      // The stuck process is gone; a plug-in that hangs once is not worth
      // waiting on in every later group.
      report.Fail(counted.check, "did not finish within " + std::to_string(static_cast<int>(seconds)) + " s" + where);
      return Summary(totals);
    }
    if (outcome.end == validator::GroupOutcome::kCrashed) {
      if (counted.finished)
        report.Fail(group.name, "the process of these checks ended with " + outcome.how + " after them");
      else
        report.Fail(counted.check, "crashed: " + outcome.how + where);
    }
    // Loading comes first: nothing else can work without it.
    if (&group == &groups.front() && totals.failed > 0) break;
  }
  return Summary(totals);
}
