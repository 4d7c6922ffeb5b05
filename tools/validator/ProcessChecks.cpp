// Processing: random block sizes and sample rates changed between blocks,
// float and double precision, the output's values at rest and the cost of a
// decaying tail against the cost of sound.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "Validator.h"

namespace validator {

namespace {

constexpr std::int32_t kLargestBlock = 8192;
constexpr double kRates[] = {22050, 44100, 48000, 88200, 96000, 192000};

std::string Format(const char* format, double a, double b = 0) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

// Renders segments at random rates and block sizes with notes in each;
// returns an empty string or what went wrong.
std::string RandomRun(Instance& instance, bool useDouble, int segments, std::mt19937& random) {
  std::uniform_int_distribution<int> rateIndex(0, 7);
  std::uniform_int_distribution<int> keyDistribution(36, 96);
  for (int segment = 0; segment < segments; ++segment) {
    int pick = rateIndex(random);
    // The extremes, the common rates, and any rate in between.
    double rate = pick < 6 ? kRates[pick] : std::uniform_real_distribution<double>(22050, 192000)(random);
    std::int32_t maxBlock = std::uniform_int_distribution<std::int32_t>(1, kLargestBlock)(random);
    if (segment % 3 == 0) maxBlock = kLargestBlock;
    Restart(instance, rate, maxBlock);
    FeedInput(instance, 0.25f);
    int keys[3] = {keyDistribution(random), keyDistribution(random), keyDistribution(random)};
    SendNotes(instance, keys, 3, 100);
    std::int64_t frames = 0;
    const std::int64_t target = static_cast<std::int64_t>(rate / 4);
    bool released = false;
    while (frames < target) {
      std::int32_t block = std::uniform_int_distribution<std::int32_t>(1, maxBlock)(random);
      if (!released && frames > target / 2) {
        SendNotes(instance, keys, 3, 0);
        FeedInput(instance, 0);
        released = true;
      }
      double peak;
      if (useDouble) {
        ProcessDouble(instance, block);
        peak = PeakDouble(instance, block);
      } else {
        ProcessFloat(instance, block);
        peak = PeakFloat(instance, block);
      }
      if (std::isnan(peak)) return Format("NaN or infinity at %.0f Hz in a block of %.0f frames", rate, block);
      frames += block;
    }
  }
  return {};
}

double MedianBlockTime(Instance& instance, int blocks, std::int32_t frames, double* peak) {
  std::vector<double> times;
  *peak = 0;
  for (int block = 0; block < blocks; ++block) {
    auto start = std::chrono::steady_clock::now();
    ProcessFloat(instance, frames);
    times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    *peak = std::max(*peak, PeakFloat(instance, frames));
  }
  std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
  return times[times.size() / 2];
}

}  // namespace

void CheckProcessing(const Options& options, Report& report) {
  std::mt19937 random(options.seed);
  const int segments = options.quick ? 6 : 40;
  std::string error;
  auto instance = OpenInstance(options.plugin, 44100, kLargestBlock, &error);
  if (!instance) {
    report.Fail("process.float", error);
    return;
  }
  vst::AEffect* effect = instance->host.Effect();

  // At rest, before any note, a plug-in's output stays within full scale.
  {
    report.Begin("process.silence");
    double peak = 0;
    for (int block = 0; block < 16; ++block) {
      ProcessFloat(*instance, 512);
      double blockPeak = PeakFloat(*instance, 512);
      peak = std::isnan(blockPeak) || std::isnan(peak) ? NAN : std::max(peak, blockPeak);
    }
    if (std::isnan(peak))
      report.Fail("process.silence", "NaN or infinity with no input and no notes");
    else if (peak > 1)
      report.Fail("process.silence", Format("peak %.3g above full scale with no notes", peak));
    else
      report.Pass("process.silence", Format("peak %.3g with no notes", peak));
  }

  report.Begin("process.float");
  error = RandomRun(*instance, false, segments, random);
  if (error.empty())
    report.Pass("process.float",
                std::to_string(segments) + " segments at random rates (22050..192000 Hz) and block sizes (1..8192)");
  else
    report.Fail("process.float", error);

  report.Begin("process.double");
  if ((effect->flags & vst::effFlagsCanDoubleReplacing) && effect->processDoubleReplacing) {
    instance->host.SetActive(false);
    instance->host.Dispatch(vst::effSetProcessPrecision, 0, 1);
    error = RandomRun(*instance, true, segments, random);
    instance->host.SetActive(false);
    instance->host.Dispatch(vst::effSetProcessPrecision, 0, 0);
    instance->host.SetActive(true);
    if (error.empty())
      report.Pass("process.double", std::to_string(segments) + " segments through processDoubleReplacing");
    else
      report.Fail("process.double", error);
  } else {
    report.Skip("process.double", "the plug-in does not process doubles");
  }

  // A decaying tail reaching denormal range can cost many times a loud block.
  {
    report.Begin("process.denormals");
    Restart(*instance, 44100, 512);
    const int keys[4] = {48, 55, 60, 64};
    SendNotes(*instance, keys, 4, 110);
    FeedInput(*instance, 0.5f);
    double soundPeak = 0, tailPeak = 0;
    const int blocks = options.quick ? 200 : 800;
    double soundTime = MedianBlockTime(*instance, blocks, 512, &soundPeak);
    SendNotes(*instance, keys, 4, 0);
    FeedInput(*instance, 0);
    // Let the release run out, then time the blocks that follow: nearly silent.
    double ignored = 0;
    MedianBlockTime(*instance, options.quick ? 400 : 1000, 512, &ignored);
    double tailTime = MedianBlockTime(*instance, blocks, 512, &tailPeak);
    std::string detail = Format("%.1f us per 512-frame block with sound, ", soundTime) +
                         Format("%.1f us in the tail (peak %.2g)", tailTime, tailPeak);
    if (soundPeak == 0)
      report.Skip("process.denormals", "no sound from four held notes and a tone at the inputs: " + detail);
    else if (tailTime > 8 * soundTime && tailTime > 20)
      report.Fail("process.denormals", detail);
    else
      report.Pass("process.denormals", detail);
    if (std::isnan(tailPeak) || tailPeak > 1)
      report.Fail("process.tail", Format("the release tail peaks at %.3g", tailPeak));
    else
      report.Pass("process.tail", Format("release tail within full scale (peak %.3g)", tailPeak));
  }
}

}  // namespace validator
