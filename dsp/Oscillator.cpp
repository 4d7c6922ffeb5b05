#include "dsp/Oscillator.h"

#include <cmath>

#include "dsp/PitchTables.h"

namespace dsp {

namespace {

constexpr double kHalfPhaseCycle = double(kPhaseCycle / 2);
constexpr int kIncrementTableShift = 16;  // upper half of the increment picks the table
constexpr std::int32_t kTransposeUp = 0;
constexpr std::int32_t kTransposeDown = 2;

// trunc() of a pitch sum, kept within 32 bits whatever the modulation does.
std::int32_t TruncatePitch(double pitch) {
  pitch = std::fmin(std::fmax(pitch, -1e9), 1e9);  // also maps NaN inside
  return std::int32_t(pitch);
}

std::int32_t PhasePlus(std::int32_t phase, double offset) {
  return WrapPhase(std::uint32_t(std::int64_t(phase + offset)));
}

}  // namespace

void PrepareOscillatorTables() { BuildWavetableBanks(); }

void SetOctave(Oscillator& osc, std::int32_t semitones) {
  osc.octave = semitones;
  osc.staticOffset = osc.octave * kPitchStepsPerSemitone + osc.tune;
}

void SetTune(Oscillator& osc, std::int32_t pitchSteps) {
  osc.tune = pitchSteps;
  osc.staticOffset = osc.octave * kPitchStepsPerSemitone + osc.tune;
}

std::int32_t TransposeOfChoice(std::int32_t choice) {
  if (choice == kTransposeUp) return 12;
  if (choice == kTransposeDown) return -12;
  return 0;
}

void StartGlide(Oscillator& osc, std::int32_t target) {
  osc.targetPitch = target;
  if (osc.glideTime > 0.0) {
    osc.glideProgress = 1.0;
    osc.glideSpan = target - osc.currentPitch;
    osc.glideDecrement = 1.0 / osc.glideTime / kControlTicksPerSecond;
  } else {
    osc.glideProgress = 0.0;
    osc.glideSpan = 0.0;
    osc.glideDecrement = 0.0;
    osc.currentPitch = target;
  }
}

void SetOscillatorKey(Oscillator& osc, std::int32_t key, std::int32_t interval, std::int32_t keyPitch) {
  osc.key = key;
  osc.interval = interval;
  StartGlide(osc, keyPitch + (osc.transpose + interval) * kPitchStepsPerSemitone);
}

void Retune(Oscillator& osc, std::int32_t transpose, std::int32_t keyPitch) {
  osc.transpose = transpose;
  if (!osc.connected) return;
  StartGlide(osc, keyPitch + (osc.interval + osc.transpose) * kPitchStepsPerSemitone);
}

int TableForIncrement(std::int32_t phaseIncrement) {
  double x = std::int16_t(phaseIncrement >> kIncrementTableShift);
  int t = 0;
  while (x > 1.0) {
    x *= kSqrtHalf;
    ++t;
  }
  return t < kWavetableCount - 1 ? t : kWavetableCount - 1;
}

void UpdatePitch(Oscillator& osc, double modulation, const PitchTables& tables) {
  if (!osc.connected) return;

  // Glide along start + span × (1 − (1 − t/T)²): fast at first, easing in.
  if (osc.glideProgress > 0.0) {
    const double p = osc.glideProgress;
    const double next = p - osc.glideDecrement;
    osc.currentPitch = (p * p - next * next) * osc.glideSpan + osc.currentPitch;
    osc.glideProgress = next;
    if (next <= 0.0) osc.currentPitch = osc.targetPitch;
  }

  osc.pitchIndex = TruncatePitch(osc.staticOffset + osc.currentPitch + modulation);
  osc.phaseIncrement = tables.phaseIncrement[PitchTableIndex(osc.pitchIndex)];

  switch (osc.waveform) {
    case kWavePwm: {
      const double source = osc.pwmSource != nullptr ? *osc.pwmSource : 0.0;
      const double m = source * osc.pwmDepth;
      // Outside 0–1 the two readings coincide: silence rather than a wrapped width.
      osc.secondPhase = (m >= 0.0 && m <= 1.0) ? PhasePlus(osc.phase, (1.0 - m) * kHalfPhaseCycle) : osc.phase;
      break;
    }
    case kWavePw: osc.secondPhase = PhasePlus(osc.phase, osc.pulseWidth * double(kPhaseCycle)); break;
    default: osc.secondPhase = osc.phase; break;
  }

  const int t = TableForIncrement(osc.phaseIncrement);
  const int next = t + 1 < kWavetableCount ? t + 1 : kWavetableCount - 1;
  const Wavetable* bank = osc.waveform == kWaveTriangle ? gWavetables.triangle : gWavetables.saw;
  osc.currentTable = &bank[t];
  osc.nextTable = &bank[next];
}

}  // namespace dsp
