// Processing at the edges hosts reach: calls of more frames than
// effSetBlockSize announced, which some hosts make, and sample rates far
// from the usual ones, which a plug-in may render badly but must survive.
#include <cmath>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "AudioThreadWatch.h"
#include "Validator.h"

namespace validator {

namespace {

constexpr std::int32_t kAnnouncedBlock = 64;
constexpr std::int32_t kLongerBlocks[] = {65, 100, 256, 1000, 4096};
// Written after each host buffer and checked after the call; a plug-in
// writing exactly this value is not to be expected.
constexpr std::int32_t kCanaryFrames = 64;
constexpr float kCanary = -7.77e33f;

constexpr double kExtremeRates[] = {1, 100, 1000, 8000, 768000};

// Host buffers of `frames` followed by canaries, and the pointers to them.
struct CanaryBuffers {
  std::vector<std::vector<float>> channels;
  std::vector<float*> pointers;

  CanaryBuffers(int count, std::int32_t frames, float level) {
    channels.assign(static_cast<std::size_t>(count > 0 ? count : 0),
                    std::vector<float>(static_cast<std::size_t>(frames + kCanaryFrames), kCanary));
    for (auto& channel : channels) {
      for (std::int32_t i = 0; i < frames; ++i)
        channel[static_cast<std::size_t>(i)] = level * std::sin(0.1f * static_cast<float>(i));
      pointers.push_back(channel.data());
    }
    if (pointers.empty()) pointers.push_back(nullptr);
  }

  bool CanariesIntact(std::int32_t frames) const {
    for (const auto& channel : channels)
      for (std::size_t i = static_cast<std::size_t>(frames); i < channel.size(); ++i)
        if (channel[i] != kCanary) return false;
    return true;
  }

  bool Finite(std::int32_t frames) const {
    for (const auto& channel : channels)
      for (std::int32_t i = 0; i < frames; ++i)
        if (!std::isfinite(channel[static_cast<std::size_t>(i)])) return false;
    return true;
  }
};

void CheckLongerBlocks(const Options& options, Report& report) {
  report.Begin("process.blocksize");
  std::string error;
  auto instance = OpenInstance(options.plugin, 44100, 512, &error);
  if (!instance) {
    report.Fail("process.blocksize", error);
    return;
  }
  // The plug-in sizes its buffers for the announced block when it is
  // started; those then end at guard pages, where the build can place them.
  SetGuardPages(true);
  Restart(*instance, 44100, kAnnouncedBlock);
  SetGuardPages(false);

  vst::AEffect* effect = instance->host.Effect();
  const int keys[3] = {48, 60, 67};
  SendNotes(*instance, keys, 3, 100);
  for (std::int32_t frames : kLongerBlocks) {
    report.Step("a call of %d frames after effSetBlockSize(%d)", frames, kAnnouncedBlock);
    CanaryBuffers inputs(effect->numInputs, frames, 0.25f);
    CanaryBuffers outputs(effect->numOutputs, frames, 0);
    instance->host.Process(inputs.pointers.data(), outputs.pointers.data(), frames);
    std::string problem;
    if (!inputs.CanariesIntact(frames) || !outputs.CanariesIntact(frames))
      problem = "wrote past the end of the host's buffers";
    else if (!outputs.Finite(frames))
      problem = "NaN or infinity in the output";
    if (!problem.empty()) {
      report.Fail("process.blocksize", "a call of " + std::to_string(frames) + " frames after effSetBlockSize(" +
                                           std::to_string(kAnnouncedBlock) + ") " + problem);
      return;
    }
  }
  report.Pass("process.blocksize",
              "calls of " + std::to_string(kLongerBlocks[0]) + " to " + std::to_string(std::end(kLongerBlocks)[-1]) +
                  " frames after effSetBlockSize(" + std::to_string(kAnnouncedBlock) +
                  "): output finite, nothing written past the host's buffers" +
                  (GuardPagesAvailable() ? " or past the plug-in's, which ended at guard pages" : ""));
}

void CheckExtremeRates(const Options& options, Report& report) {
  report.Begin("process.rates");
  std::string error;
  auto instance = OpenInstance(options.plugin, 44100, 512, &error);
  if (!instance) {
    report.Fail("process.rates", error);
    return;
  }
  const int keys[3] = {45, 64, 81};
  for (double rate : kExtremeRates) {
    report.Step("at %g Hz", rate);
    Restart(*instance, rate, 512);
    FeedInput(*instance, 0.25f);
    SendNotes(*instance, keys, 3, 100);
    for (int block = 0; block < 16; ++block) {
      if (block == 8) {
        SendNotes(*instance, keys, 3, 0);
        FeedInput(*instance, 0);
      }
      ProcessFloat(*instance, 512);
      if (std::isnan(PeakFloat(*instance, 512))) {
        char text[120];
        std::snprintf(text, sizeof text, "NaN or infinity at %g Hz", rate);
        report.Fail("process.rates", text);
        return;
      }
    }
  }
  std::string rates;
  for (double rate : kExtremeRates) rates += (rates.empty() ? "" : ", ") + std::to_string(static_cast<long>(rate));
  report.Pass("process.rates", rates + " Hz with notes: no hang, output finite");
}

}  // namespace

void CheckExtremes(const Options& options, Report& report) {
  CheckLongerBlocks(options, report);
  CheckExtremeRates(options, report);
}

}  // namespace validator
