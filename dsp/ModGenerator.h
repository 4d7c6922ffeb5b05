// Low-frequency modulation generator, stepped once per control tick.
#pragma once

#include <cstdint>

namespace dsp {

enum ModWaveform : std::int32_t {
  kModTriangle = 0,
  kModSawDown = 1,
  kModSawUp = 2,
  kModSquare = 3,
};

constexpr double kModCycle = 4096.0;
// A rate of 1 runs 30 cycles a second at 1000 ticks a second.
constexpr double kModIncrementPerRate = 122.88;

struct ModGenerator {
  double bipolar = 0.0;   // −1 … 1
  double unipolar = 0.0;  // 0 … 1
  bool firstHalf = true;  // drives the panel's rate light
  std::int32_t waveform = kModTriangle;
  double rate = 0.0;
  double phase = 0.0;  // 0 … below kModCycle
  double increment = 0.0;
};

void SetModRate(ModGenerator& generator, double rate);

// Outputs follow the phase before the step.
void StepModGenerator(ModGenerator& generator);

// Back to the start of a cycle with silent outputs.
void ResetModGenerator(ModGenerator& generator);

}  // namespace dsp
