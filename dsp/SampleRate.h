// Which sample rate the engine runs at, and what follows from a change.
#pragma once

#include <cstdint>

#include "dsp/Envelope.h"
#include "dsp/PitchTables.h"

namespace dsp {

// Below about 2500 Hz the phase increments of high pitches overflow 32 bits,
// below 1000 Hz a control tick would be 0 samples long; rates outside this
// range are refused and the engine keeps the one it had.
constexpr double kLowestSampleRate = 8000.0;
constexpr double kHighestSampleRate = 768000.0;
// What the engine runs at when no usable rate has been offered yet.
constexpr double kDefaultSampleRate = 44100.0;

struct SampleClock {
  double sampleRate = 0.0;  // 0 until the first reset
  std::int32_t controlTickLength = 0;
  // The shared set for sampleRate (before the first reset, the startup set
  // at the default rate); owned through SharedPitchTables.h.
  const PitchTables* tables = nullptr;
};

bool IsUsableSampleRate(double rate);

// `requested` when usable, else `current` when usable, else the default.
double ChooseSampleRate(double current, double requested);

// trunc(rate) ÷ 1000 samples, never less than 1.
std::int32_t ControlTickLength(double sampleRate);

// The reset's part that depends on the rate. On a change of the rate taken,
// the clock moves to the shared tables of the new rate and both envelopes
// are silenced for it; returns whether that happened. Without memory for new
// tables the old rate is kept. The tick length is set in any case.
bool FollowSampleRate(SampleClock& clock, double hostRate, Envelope& eg1, Envelope& eg2);

// The tables an engine plays from before its first reset.
bool TakeStartupTables(SampleClock& clock);
// Lets go of the clock's tables.
void DropTables(SampleClock& clock);

}  // namespace dsp
