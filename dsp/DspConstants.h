// Figures that several signal-processing blocks share: the pitch scale, the
// phase circle, the wavetable size and the control rate.
#pragma once

#include <cstdint>

namespace dsp {

// Pitch index: 128 steps a semitone, 0 is key 0, kTopPitch is key 135.
constexpr std::int32_t kPitchStepsPerSemitone = 128;
constexpr std::int32_t kPitchStepsPerOctave = 12 * kPitchStepsPerSemitone;
constexpr std::int32_t kTopKey = 135;
constexpr std::int32_t kTopPitch = kTopKey * kPitchStepsPerSemitone;  // 17280
constexpr std::int32_t kPitchTableSize = kTopPitch + 1;

// Oscillator phase: one cycle is 2^28; the upper 12 of those bits index a table.
constexpr int kPhaseBits = 28;
constexpr std::int32_t kPhaseCycle = std::int32_t(1) << kPhaseBits;
constexpr std::int32_t kPhaseMask = kPhaseCycle - 1;
constexpr int kTableBits = 12;
constexpr std::int32_t kTableSize = std::int32_t(1) << kTableBits;  // 4096
constexpr int kTableIndexShift = kPhaseBits - kTableBits;           // phase ÷ 65536

constexpr int kOscillatorCount = 4;

// Modulation runs about once a millisecond.
constexpr std::int32_t kControlTicksPerSecond = 1000;

constexpr double kPi = 3.14159265358979323846;
constexpr double kSqrtHalf = 0.7071067811865476;

// Levels and filter states this small (-600 dB) are cleared to exact zero
// before they decay into the denormal range, where arithmetic crawls.
constexpr double kSilenceFloor = 1e-30;

}  // namespace dsp
