#include "dsp/Envelope.h"

#include <cmath>

#include "dsp/DspConstants.h"

namespace dsp {

namespace {

// c(p) = (5^(kCurveOffset − kCurveSpan × p) + kSlowestSpeed) × rate constant
constexpr double kCurveBase = 5.0;
constexpr double kCurveOffset = 3.3;
constexpr double kCurveSpan = 7.5;
constexpr double kSlowestSpeed = 0.05;

}  // namespace

double EnvelopeCoefficient(const Envelope& envelope, double setting) {
  return (std::pow(kCurveBase, kCurveOffset - kCurveSpan * setting) + kSlowestSpeed) * envelope.rateConstant;
}

void StepEnvelope(Envelope& envelope) {
  if (envelope.stage == kEnvelopeIdle) return;
  envelope.previousLevel = envelope.level;
  envelope.level = (envelope.target - envelope.level) * envelope.coefficient + envelope.level;
  // A decay towards a sustain of 0 would otherwise creep through the denormals forever.
  if (std::fabs(envelope.level) < kSilenceFloor) envelope.level = 0.0;
  if (envelope.stage == kEnvelopeAttack && envelope.level >= 1.0) {
    envelope.level = 1.0;
    envelope.stage = kEnvelopeDecaySustain;
    envelope.target = envelope.sustain;
    envelope.coefficient = EnvelopeCoefficient(envelope, envelope.decay);
  } else if ((envelope.stage == kEnvelopeDecaySustain || envelope.stage == kEnvelopeRelease) && envelope.level <= 0.0) {
    envelope.level = 0.0;
    envelope.stage = kEnvelopeIdle;
  }
}

void SetAttack(Envelope& envelope, double setting) {
  envelope.attack = setting;
  if (envelope.stage == kEnvelopeAttack) envelope.coefficient = EnvelopeCoefficient(envelope, setting);
}

void SetDecay(Envelope& envelope, double setting) {
  envelope.decay = setting;
  if (envelope.stage == kEnvelopeDecaySustain) {
    envelope.coefficient = EnvelopeCoefficient(envelope, setting);
  }
}

void SetSustain(Envelope& envelope, double setting) {
  envelope.sustain = setting;
  if (envelope.stage == kEnvelopeDecaySustain) envelope.target = setting;
}

void SetRelease(Envelope& envelope, double setting) {
  envelope.release = setting;
  if (envelope.stage == kEnvelopeRelease) envelope.coefficient = EnvelopeCoefficient(envelope, setting);
}

void RestartEnvelope(Envelope& envelope) {
  envelope.stage = kEnvelopeAttack;
  envelope.target = kAttackTarget;
  envelope.coefficient = EnvelopeCoefficient(envelope, envelope.attack);
}

void RestartEnvelopeFromZero(Envelope& envelope) {
  envelope.level = 0.0;
  RestartEnvelope(envelope);
}

void ReleaseEnvelope(Envelope& envelope) {
  envelope.stage = kEnvelopeRelease;
  envelope.target = kReleaseTarget;
  envelope.coefficient = EnvelopeCoefficient(envelope, envelope.release);
}

void ResetEnvelopeForRate(Envelope& envelope, double sampleRate) {
  envelope.rateConstant = kLn10 / sampleRate;
  envelope.level = 0.0;
  envelope.stage = kEnvelopeIdle;
}

}  // namespace dsp
