// Loading, opening, closing and unloading: repeatedly, several instances at
// once, and on several threads at once.
#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "Validator.h"
#include "platform/DynamicLibrary.h"

namespace validator {

void CheckLoad(const Options& options, Report& report) {
  report.Begin("load");
  vsthost::VstHost host;
  std::string error;
  if (!host.Load(options.plugin, &error)) {
    report.Fail("load", error);
    return;
  }
  host.Open();
  vst::AEffect* effect = host.Effect();
  report.Pass("load", "'" + host.EffectName() + "' by '" + host.PluginVendor() + "', " +
                          std::to_string(effect->numInputs) + " in, " + std::to_string(effect->numOutputs) + " out, " +
                          std::to_string(effect->numParams) + " parameters, " + std::to_string(effect->numPrograms) +
                          " programs");
}

void CheckLifecycle(const Options& options, Report& report) {
  report.Begin("lifecycle.repeated");
  const int cycles = options.quick ? 10 : 100;
  std::string error;
  for (int i = 0; i < cycles; ++i) {
    vsthost::VstHost host;
    if (!host.Load(options.plugin, &error)) {
      report.Fail("lifecycle.repeated", "cycle " + std::to_string(i) + ": " + error);
      return;
    }
    host.Open();
    host.Close();
  }
  report.Pass("lifecycle.repeated", std::to_string(cycles) + " load/open/close/unload cycles");

  // Several live instances, each processing, must not share state that breaks.
  {
    report.Begin("lifecycle.instances");
    const int count = 4;
    std::vector<std::unique_ptr<Instance>> instances;
    for (int i = 0; i < count; ++i) {
      auto instance = OpenInstance(options.plugin, 44100, 512, &error);
      if (!instance) {
        report.Fail("lifecycle.instances", error);
        return;
      }
      instances.push_back(std::move(instance));
    }
    const int key = 60;
    bool finite = true;
    for (auto& instance : instances) {
      SendNotes(*instance, &key, 1, 100);
      for (int block = 0; block < 8; ++block) {
        ProcessFloat(*instance, 512);
        finite = finite && !std::isnan(PeakFloat(*instance, 512));
      }
    }
    if (finite)
      report.Pass("lifecycle.instances", std::to_string(count) + " instances open and processing at once");
    else
      report.Fail("lifecycle.instances", "NaN or infinity in the output of one of several instances");
  }
}

// Hosts scan and create instances on worker threads. Run last: a plug-in
// whose entry is not safe to call on several threads at once may crash here.
void CheckConcurrentCreation(const Options& options, Report& report) {
  report.Begin("lifecycle.threads");
  // Loaded once before the threads start, as after a host's scan: the loader
  // runs the module's initializers under a lock ThreadSanitizer cannot see.
  platform::DynamicLibrary resident = platform::OpenLibrary(options.plugin);
  {
    const int threadCount = 4;
    const int perThread = options.quick ? 4 : 25;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    std::vector<std::string> errors(threadCount);
    for (int t = 0; t < threadCount; ++t)
      threads.emplace_back([&, t] {
        for (int i = 0; i < perThread; ++i) {
          auto instance = OpenInstance(options.plugin, 48000, 256, &errors[t]);
          if (!instance) {
            ++failures;
            return;
          }
          ProcessFloat(*instance, 256);
        }
      });
    for (auto& thread : threads) thread.join();
    if (failures == 0)
      report.Pass("lifecycle.threads", std::to_string(threadCount * perThread) +
                                           " instances created and destroyed on " + std::to_string(threadCount) +
                                           " threads at once");
    else
      report.Fail("lifecycle.threads", std::to_string(failures.load()) + " threads could not create an instance");
  }
  platform::CloseLibrary(resident);
}

}  // namespace validator
