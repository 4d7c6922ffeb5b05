// Wavetable oscillator on a 28-bit phase circle. Pitch, glide, pulse width
// and table choice move at control rate; the phases move every sample.
#pragma once

#include <cstdint>

#include "dsp/DspConstants.h"
#include "dsp/PitchTables.h"
#include "dsp/Wavetables.h"

namespace dsp {

enum OscillatorWaveform : std::int32_t {
  kWaveTriangle = 0,
  kWaveSawtooth = 1,
  kWavePwm = 2,  // pulse whose width follows a modulation source
  kWavePw = 3,   // pulse of fixed width
};

constexpr std::int32_t kStartKey = 30;

struct Oscillator {
  bool connected = false;  // an oscillator outside an engine is silent and never updated
  double glideTime = 0.0;  // seconds
  std::int32_t waveform = kWaveTriangle;
  std::int32_t transpose = 0;  // semitones: +12, 0, −12
  std::int32_t octave = 0;     // semitones: −12, 0, +12, +24
  std::int32_t tune = 0;       // pitch steps
  double pulseWidth = 0.0;
  double pwmDepth = 0.0;
  const double* pwmSource = nullptr;  // a unipolar output of the engine
  double level = 0.0;                 // mixer level

  std::int32_t key = kStartKey;
  std::int32_t interval = 0;  // semitones above the key (chord memory)
  // Glide position in fractional pitch steps: truncating it at every tick
  // would lose up to a step a tick and leave a long glide short of its target.
  double currentPitch = kStartKey * kPitchStepsPerSemitone;
  std::int32_t targetPitch = 0;
  std::int32_t pitchIndex = 0;    // last total: glide + octave + tune + modulation
  std::int32_t staticOffset = 0;  // octave × 128 + tune
  double glideProgress = 0.0;     // 1 at the start of a glide, 0 at its end
  double glideDecrement = 0.0;    // per control tick
  double glideSpan = 0.0;

  const Wavetable* currentTable = nullptr;
  const Wavetable* nextTable = nullptr;  // one band-limiting step lower, for products
  // Pulse waves read the sawtooth table a second time at secondPhase;
  // sync keeps the distance between the two.
  std::int32_t phase = 0;
  std::int32_t secondPhase = 0;
  std::int32_t phaseIncrement = 0;
};

// Builds the wavetables once per process; the engine calls it when it makes
// its oscillators.
void PrepareOscillatorTables();

void SetOctave(Oscillator& osc, std::int32_t semitones);
void SetTune(Oscillator& osc, std::int32_t pitchSteps);

// Transpose in semitones for the "Trnspose" choice (Up, Normal, Down).
std::int32_t TransposeOfChoice(std::int32_t choice);

// Heads for `target` over the oscillator's glide time, or jumps there without one.
void StartGlide(Oscillator& osc, std::int32_t target);

// Plays `key` (whose untransposed pitch is keyPitch) `interval` semitones up.
void SetOscillatorKey(Oscillator& osc, std::int32_t key, std::int32_t interval, std::int32_t keyPitch);

// New transpose; glides to it from where the oscillator is. keyPitch is the
// pitch of osc.key.
void Retune(Oscillator& osc, std::int32_t transpose, std::int32_t keyPitch);

// Control tick: glide, pitch index, phase increment, pulse offset and tables.
// `modulation` is this oscillator's pitch offset plus master tune, in pitch steps.
void UpdatePitch(Oscillator& osc, double modulation, const PitchTables& tables);

// Table t = 0 … 21 for an increment: the richest that stays below Nyquist.
int TableForIncrement(std::int32_t phaseIncrement);

inline std::int32_t WrapPhase(std::uint32_t phase) { return std::int32_t(phase & kPhaseMask); }

// Output from `table` at the current phases; a pulse is the difference of
// two sawtooth readings, so equal phases give silence.
inline double SampleOf(const Oscillator& osc, const Wavetable* table) {
  if (table == nullptr || !osc.connected) return 0.0;
  double v = table->sample[osc.phase >> kTableIndexShift];
  if (osc.waveform == kWavePwm || osc.waveform == kWavePw) {
    v -= table->sample[osc.secondPhase >> kTableIndexShift];
  }
  return v;
}

inline void AdvancePhase(Oscillator& osc) {
  osc.phase = WrapPhase(std::uint32_t(osc.phase) + std::uint32_t(osc.phaseIncrement));
  osc.secondPhase = WrapPhase(std::uint32_t(osc.secondPhase) + std::uint32_t(osc.phaseIncrement));
}

// Free-running phases: notes never reset them.
inline void AdvancePhases(Oscillator (&vco)[kOscillatorCount]) {
  for (Oscillator& osc : vco) AdvancePhase(osc);
}

}  // namespace dsp
