#include "dsp/PitchTables.h"

#include <cmath>

#include "dsp/NoteTuning.h"

namespace dsp {

namespace {

constexpr int kNoteCount = kTopKey + 1;
constexpr double kLowestKeyHz = 8.176;
constexpr double kTopKeyHz = 19912.127;
constexpr double kBottomHz = 0.0033570162;                           // 135 semitones below key 0
constexpr double kInterpolationStep = 1.0 / kPitchStepsPerSemitone;  // 0.0078125
constexpr double kPhaseCycleDouble = double(kPhaseCycle);

// The feedback scale eases from kLowResonanceGain below kResonanceBendLowHz
// to kHighResonanceGain above kResonanceBendHighHz.
constexpr double kLowResonanceGain = 4.1;
constexpr double kHighResonanceGain = 4.005;
constexpr double kResonanceBendLowHz = 500.0;
constexpr double kResonanceBendHighHz = 2000.0;

double RoundTo(double value, double scale) { return std::round(value * scale) / scale; }

struct NoteTables {
  double up[kNoteCount];    // keys 0 … 135
  double down[kNoteCount];  // keys 0 … -135
  NoteTables() {
    for (int n = 0; n < kNoteCount; ++n) {
      const double hz = 440.0 * std::pow(2.0, (n - 69) / 12.0);
      // Keys 124 to 127 carry one decimal less.
      up[n] = (n >= 124 && n <= 127) ? RoundTo(hz, 100.0) : RoundTo(hz, 1000.0);
      down[n] = RoundTo(kLowestKeyHz * std::pow(2.0, -n / 12.0), 1e10);
    }
  }
};

// Built while the library loads, before any instance exists.
const NoteTables kNotes;

}  // namespace

double PitchToFrequency(std::int32_t pitch) {
  if (pitch == 0) return kLowestKeyHz;
  if (pitch > 0) {
    if (pitch >= kTopPitch) return kTopKeyHz;
    const std::int32_t n = pitch / kPitchStepsPerSemitone;
    const std::int32_t r = pitch % kPitchStepsPerSemitone;
    return kNotes.up[n] + (kNotes.up[n + 1] - kNotes.up[n]) * r * kInterpolationStep;
  }
  if (pitch <= -kTopPitch) return kBottomHz;
  const std::int32_t b = -pitch;
  const std::int32_t n = b / kPitchStepsPerSemitone;
  const std::int32_t r = b % kPitchStepsPerSemitone;
  return kNotes.down[n] + (kNotes.down[n + 1] - kNotes.down[n]) * r * kInterpolationStep;
}

std::int32_t KeyToPitch(std::int32_t key) { return key * kPitchStepsPerSemitone; }

std::int32_t KeyToPitch(std::int32_t key, const NoteTuning* tuning) {
  if (tuning == nullptr || !tuning->FollowsMaster() || key < 0) return KeyToPitch(key);
  // The master tunes MIDI notes 0-127; the arpeggiator's upper octaves go
  // beyond them and keep the master's tuning of the note octaves below.
  std::int32_t octaves = 0;
  while (key > 127) {
    key -= 12;
    ++octaves;
  }
  return PitchOfFrequency(tuning->NoteFrequency(key)) + octaves * kPitchStepsPerOctave;
}

std::int32_t PitchOfFrequency(double hz) {
  std::int32_t position = kTopPitch / 2;
  std::int32_t step = kTopPitch / 2;
  do {
    step /= 2;
    const double f = PitchToFrequency(position);
    if (f > hz) {
      position -= step;
    } else if (hz > f) {
      position += step;
    } else {
      break;
    }
  } while (step != 0);
  return position;
}

void BuildPitchTables(PitchTables& tables, double sampleRate) {
  const double gainSlope = kLowResonanceGain - kHighResonanceGain;  // 0.09499999999999975
  const double bendWidth = kResonanceBendHighHz - kResonanceBendLowHz;
  for (std::int32_t i = 0; i < kPitchTableSize; ++i) {
    const double f = PitchToFrequency(i);
    tables.phaseIncrement[i] = std::int32_t(f * kPhaseCycleDouble / sampleRate);
    tables.filterOmega[i] = f * (2.0 * kPi) / sampleRate;
    if (f < kResonanceBendLowHz) {
      tables.resonanceGain[i] = kLowResonanceGain;
    } else if (f > kResonanceBendHighHz) {
      tables.resonanceGain[i] = kHighResonanceGain;
    } else {
      tables.resonanceGain[i] = kLowResonanceGain - (f - kResonanceBendLowHz) * gainSlope / bendWidth;
    }
  }
  tables.sampleRate = sampleRate;
}

}  // namespace dsp
