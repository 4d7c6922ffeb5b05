// White noise from a multiplicative generator whose seed the whole process shares.
#pragma once

#include <cstdint>

constexpr std::int32_t kNoiseMultiplier = 16807;
constexpr double kNoiseScale = 1.0 / 2147483648.0;  // 2^-31: the seed read as −1 … 1

extern std::int32_t gNoiseSeed;  // starts at 1; odd forever, so never stuck at 0

// Next value in −1 … 1. The seed wraps around 32 bits, no modulus.
inline double NextNoise() {
  gNoiseSeed = std::int32_t(std::uint32_t(gNoiseSeed) * std::uint32_t(kNoiseMultiplier));
  return gNoiseSeed * kNoiseScale;
}
