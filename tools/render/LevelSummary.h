// The figures printed after a render: how loud each channel got, whether
// anything clipped or drifted off zero, and whether the plug-in made any sound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace render {

struct ChannelLevels {
  double peak = 0;  // largest |x|
  double rms = 0;
  std::int64_t clippedSamples = 0;  // |x| > 1
  double dcOffset = 0;              // mean
};

struct LevelSummary {
  std::vector<ChannelLevels> channels;
  bool silent = true;  // every sample exactly 0
};

LevelSummary MeasureLevels(const std::vector<std::vector<float>>& channels);

// Peak as dBFS; "-inf" for silence.
std::string FormatDecibels(double linear);

// One line per channel, then "silent" when nothing sounded.
std::string FormatLevelSummary(const LevelSummary& summary);

}  // namespace render
