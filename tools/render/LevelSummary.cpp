#include "tools/render/LevelSummary.h"

#include <cmath>
#include <cstdio>

namespace render {

LevelSummary MeasureLevels(const std::vector<std::vector<float>>& channels) {
  LevelSummary summary;
  for (const std::vector<float>& samples : channels) {
    ChannelLevels levels;
    double sum = 0, sumOfSquares = 0;
    for (float sample : samples) {
      const double x = sample;
      const double magnitude = std::fabs(x);
      if (magnitude > levels.peak) levels.peak = magnitude;
      if (magnitude > 1.0) ++levels.clippedSamples;
      if (x != 0) summary.silent = false;
      sum += x;
      sumOfSquares += x * x;
    }
    if (!samples.empty()) {
      levels.rms = std::sqrt(sumOfSquares / samples.size());
      levels.dcOffset = sum / samples.size();
    }
    summary.channels.push_back(levels);
  }
  return summary;
}

std::string FormatDecibels(double linear) {
  if (!(linear > 0)) return "-inf";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", 20.0 * std::log10(linear));
  return text;
}

std::string FormatLevelSummary(const LevelSummary& summary) {
  static const char* const kStereoNames[] = {"left", "right"};
  std::string text;
  for (std::size_t i = 0; i < summary.channels.size(); ++i) {
    const ChannelLevels& levels = summary.channels[i];
    const std::string name = summary.channels.size() == 2 ? kStereoNames[i] : "channel " + std::to_string(i + 1);
    char line[256];
    std::snprintf(line, sizeof line, "%-6s peak %s dBFS (%.6f)  RMS %s dBFS (%.6f)  clipped %lld  DC %+.6f\n",
                  (name + ":").c_str(), FormatDecibels(levels.peak).c_str(), levels.peak,
                  FormatDecibels(levels.rms).c_str(), levels.rms, static_cast<long long>(levels.clippedSamples),
                  levels.dcOffset);
    text += line;
  }
  if (summary.silent) text += "silent\n";
  return text;
}

}  // namespace render
