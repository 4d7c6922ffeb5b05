// kestrion-validate [--quick] [--seed N] PLUGIN
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Validator.h"

int main(int argc, char** argv) {
  validator::Options options;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) {
      options.quick = true;
    } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
      options.seed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (argv[i][0] != '-' && options.plugin.empty()) {
      options.plugin = argv[i];
    } else {
      options.plugin.clear();
      break;
    }
  }
  if (options.plugin.empty()) {
    std::fprintf(stderr, "usage: kestrion-validate [--quick] [--seed N] PLUGIN\n");
    return 2;
  }

  validator::Report report;
  std::string error;
  {
    vsthost::VstHost host;
    if (!host.Load(options.plugin, &error)) {
      report.Fail("load", error);
      std::printf("0 passed, 1 failed, 0 skipped\n");
      return 1;
    }
    host.Open();
    vst::AEffect* effect = host.Effect();
    report.Pass("load", "'" + host.EffectName() + "' by '" + host.PluginVendor() + "', " +
                            std::to_string(effect->numInputs) + " in, " +
                            std::to_string(effect->numOutputs) + " out, " +
                            std::to_string(effect->numParams) + " parameters, " +
                            std::to_string(effect->numPrograms) + " programs");
  }
  validator::CheckLifecycle(options, report);
  validator::CheckProcessing(options, report);
  validator::CheckAudioThread(options, report);
  validator::CheckParameters(options, report);
  validator::CheckState(options, report);
  validator::CheckEditor(options, report);
  validator::CheckConcurrentCreation(options, report);
  std::printf("%d passed, %d failed, %d skipped\n", report.passed, report.failed, report.skipped);
  return report.failed ? 1 : 0;
}
