// Exponential envelope generator. Attack aims past full level and release
// below zero, so both stages reach their end in finite time.
#pragma once

#include <cstdint>

namespace dsp {

enum EnvelopeStage : std::int32_t {
  kEnvelopeIdle = 0,
  kEnvelopeAttack = 1,
  kEnvelopeDecaySustain = 2,
  kEnvelopeRelease = 3,
};

constexpr double kLn10 = 2.302585092994046;
constexpr double kAttackTarget = 10.0 / 9.0;
constexpr double kReleaseTarget = -1.0 / 9.0;
// ln 10 per control tick: what the envelopes use until the first reset.
constexpr double kStartupRateConstant = kLn10 / 1000.0;

struct Envelope {
  double level = 0.0;
  double attack = 0.0;  // settings 0–1
  double decay = 0.0;
  double sustain = 0.0;
  double release = 0.0;
  std::int32_t stage = kEnvelopeIdle;
  double rateConstant = kStartupRateConstant;  // ln 10 per step
  double target = 0.0;
  double previousLevel = 0.0;
  double coefficient = 0.0;
};

// Share of the distance to the target covered in one step for a setting p:
// a tenfold approach in about 4.9 ms at p = 0, 1.87 s at 0.5, 19.5 s at 1.
double EnvelopeCoefficient(const Envelope& envelope, double setting);

void StepEnvelope(Envelope& envelope);

// A running stage follows its own setting at once.
void SetAttack(Envelope& envelope, double setting);
void SetDecay(Envelope& envelope, double setting);
void SetSustain(Envelope& envelope, double setting);
void SetRelease(Envelope& envelope, double setting);

// Attack from the current level (a retrigger during release rises from there).
void RestartEnvelope(Envelope& envelope);
// Attack from silence, as after a change of the trigger mode.
void RestartEnvelopeFromZero(Envelope& envelope);
// Release from whatever stage; an idle envelope goes back to idle at its next step.
void ReleaseEnvelope(Envelope& envelope);
// A new sample rate: new step constant, silent and idle.
void ResetEnvelopeForRate(Envelope& envelope, double sampleRate);

}  // namespace dsp
