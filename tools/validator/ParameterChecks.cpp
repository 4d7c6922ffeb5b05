// Parameters: each one swept through its range with its display text, text
// entry round trips where offered, and changes from another thread while
// the audio thread processes.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <thread>

#include "Validator.h"

namespace validator {

void CheckParameters(const Options& options, Report& report) {
  report.Begin("parameters.sweep");
  std::string error;
  auto instance = OpenInstance(options.plugin, 44100, 512, &error);
  if (!instance) {
    report.Fail("parameters.sweep", error);
    return;
  }
  vst::AEffect* effect = instance->host.Effect();
  const int count = effect->numParams;
  if (count <= 0) {
    report.Skip("parameters.sweep", "the plug-in has no parameters");
    return;
  }

  const int steps = options.quick ? 5 : 21;
  int outOfRange = 0, emptyText = 0;
  std::string firstProblem;
  for (int index = 0; index < count; ++index) {
    for (int step = 0; step < steps; ++step) {
      float value = static_cast<float>(step) / static_cast<float>(steps - 1);
      instance->host.SetParameter(index, value);
      float read = instance->host.GetParameter(index);
      if (!(read >= 0.0f && read <= 1.0f)) {
        if (outOfRange++ == 0)
          firstProblem = "parameter " + std::to_string(index) + " set to " + std::to_string(value) + " reads " +
                         std::to_string(read);
      }
      if (instance->host.ParameterDisplay(index).empty()) ++emptyText;
    }
    ProcessFloat(*instance, 64);
  }
  std::string detail = std::to_string(count) + " parameters at " + std::to_string(steps) + " values";
  if (emptyText) detail += ", " + std::to_string(emptyText) + " empty display texts";
  if (outOfRange)
    report.Fail("parameters.sweep",
                detail + "; " + std::to_string(outOfRange) + " reads outside 0..1, first: " + firstProblem);
  else
    report.Pass("parameters.sweep", detail);

  // Text entry: the value a display text is entered as shows that same text.
  {
    report.Begin("parameters.text");
    int offered = 0, mismatched = 0;
    std::string firstMismatch;
    std::mt19937 random(options.seed);
    for (int index = 0; index < count; ++index) {
      instance->host.SetParameter(index, std::uniform_real_distribution<float>(0, 1)(random));
      std::string text = instance->host.ParameterDisplay(index);
      instance->host.SetParameter(index, 0.5f);
      if (!instance->host.StringToParameter(index, text)) continue;
      ++offered;
      std::string back = instance->host.ParameterDisplay(index);
      if (back != text && mismatched++ == 0)
        firstMismatch = "parameter " + std::to_string(index) + ": '" + text + "' entered shows '" + back + "'";
    }
    if (offered == 0)
      report.Skip("parameters.text", "no parameter takes text entry (effString2Parameter)");
    else if (mismatched)
      report.Fail("parameters.text", std::to_string(mismatched) + " of " + std::to_string(offered) +
                                         " round trips differ, first: " + firstMismatch);
    else
      report.Pass("parameters.text", std::to_string(offered) + " display texts entered back unchanged");
  }

  // Automation arrives on a thread other than the audio thread.
  {
    report.Begin("parameters.threads");
    std::atomic<bool> done{false};
    std::thread writer([&] {
      std::mt19937 random(options.seed + 1);
      std::uniform_int_distribution<int> pick(0, count - 1);
      std::uniform_real_distribution<float> value(0, 1);
      while (!done.load()) {
        int index = pick(random);
        instance->host.SetParameter(index, value(random));
        instance->host.GetParameter(index);
      }
    });
    const int keys[2] = {60, 67};
    bool finite = true;
    const int blocks = options.quick ? 300 : 3000;
    for (int block = 0; block < blocks && finite; ++block) {
      if (block % 50 == 0) SendNotes(*instance, keys, 2, 100);
      if (block % 50 == 25) SendNotes(*instance, keys, 2, 0);
      ProcessFloat(*instance, 256);
      finite = !std::isnan(PeakFloat(*instance, 256));
    }
    done = true;
    writer.join();
    if (finite)
      report.Pass("parameters.threads",
                  std::to_string(blocks) + " blocks processed while another thread set parameters");
    else
      report.Fail("parameters.threads", "NaN or infinity while another thread set parameters");
  }
}

}  // namespace validator
