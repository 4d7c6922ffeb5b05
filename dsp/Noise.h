// White noise from a multiplicative generator. Each instrument has its own
// seed, so instances on different threads neither race nor hear each other.
#pragma once

#include <cstdint>

namespace dsp {

constexpr std::int32_t kNoiseMultiplier = 16807;
constexpr double kNoiseScale = 1.0 / 2147483648.0;  // 2^-31: the seed read as −1 … 1
constexpr std::int32_t kNoiseStartSeed = 1;         // odd forever, so never stuck at 0

struct NoiseSource {
  double level = 0.0;
  bool on = false;  // refreshed at every control tick from level > 0
  std::int32_t seed = kNoiseStartSeed;
};

// Next value in −1 … 1. The seed wraps around 32 bits, no modulus.
inline double NextNoise(NoiseSource& noise) {
  noise.seed = std::int32_t(std::uint32_t(noise.seed) * std::uint32_t(kNoiseMultiplier));
  return noise.seed * kNoiseScale;
}

}  // namespace dsp
