// The control-tick grid: ticks of `length` samples run on across blocks, so
// modulation keeps its rate whatever block size the host chooses.
#pragma once

#include <cstdint>

namespace dsp {

struct TickGrid {
  std::int32_t length = 0;     // trunc(sample rate) ÷ 1000, at least 1
  std::int32_t remaining = 0;  // samples left in the tick in progress
};

// Ticks of about a millisecond; never 0, so the render loop always advances.
inline std::int32_t TickLengthOf(double sampleRate) {
  if (!(sampleRate >= 1000.0)) return 1;  // also NaN
  if (sampleRate >= 2147483647.0) return 2147483647 / 1000;
  return static_cast<std::int32_t>(sampleRate) / 1000;
}

}  // namespace dsp
