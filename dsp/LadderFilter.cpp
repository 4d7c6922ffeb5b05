#include "dsp/LadderFilter.h"

#include <cmath>

#include "dsp/PitchTables.h"

namespace dsp {

namespace {

// Feedback saturates smoothly towards ±kSaturationCeiling beyond ±3 at its input.
constexpr double kSaturationInput = 0.2;
constexpr double kSaturationKnee = 3.0;
constexpr double kSaturationCeiling = 5.0;

void UpdateCoefficients(LadderFilter& filter, std::int32_t cutoff, const PitchTables& tables) {
  filter.cachedCutoff = cutoff;
  const std::int32_t i = PitchTableIndex(cutoff);
  const double G = tables.filterOmega[i];
  const double h = tables.resonanceGain[i];
  const double reso = filter.resonance;
  const double k = reso * h;
  const double fromMiddle = 2.0 * std::fabs(reso - 0.5);
  filter.feedbackGain = k;
  // 1 at no and at full resonance, 2 in between, to keep the level up as the passband sinks.
  filter.outputGain = 2.0 - fromMiddle * fromMiddle;
  filter.K = G / (G + 2.0);
  filter.R = (G - 2.0) / (G + 2.0);
  filter.K4 = filter.K * filter.K * filter.K * filter.K;
  filter.solveFactor = 1.0 / (filter.K4 * k + 1.0);
}

double Saturate(double y) {
  const double P = kSaturationInput * y;
  if (P < -kSaturationKnee) return -kSaturationCeiling;
  if (P > kSaturationKnee) return kSaturationCeiling;
  return (P * P + 27.0) * 5.0 * P / (9.0 * P * P + 27.0);
}

double Settle(double s) {
  if (std::isnan(s)) return 0.0;
  return s;
}

double Flush(double s) { return std::fabs(s) < kSilenceFloor ? 0.0 : s; }

}  // namespace

double CutoffPitchOf(double cutOff) { return std::sqrt(cutOff) * kTopPitch; }

double KeyFollowPitch(std::int32_t key) { return (key - kKeyFollowCentreKey) * kKeyFollowStepsPerKey; }

void SetResonance(LadderFilter& filter, double resonance) {
  filter.resonance = resonance;
  filter.cachedCutoff = -1;
}

void UpdateCutoff(LadderFilter& filter, double keyFollowPitch, double velocity, double bendAndWheel) {
  filter.cutoffBase = (filter.transposeOffset + keyFollowPitch) * filter.keyTrack + filter.cutoffPitch +
                      (2.0 * velocity - 1.0) * filter.velocityAmount * kVelocityCutoffRange + bendAndWheel;
}

double FilterSample(LadderFilter& filter, double x, Envelope& eg1, const PitchTables& tables) {
  double W = filter.egIntensity * eg1.level + filter.cutoffBase;
  StepEnvelope(eg1);
  // Every index outside the tables reads an end entry; keep trunc() defined
  // and away from the cache's "none" mark.
  // Plain comparisons: fmin and fmax are library calls here. NaN reads 0.
  W = W > 0.0 ? W : 0.0;
  W = W < double(kPitchTableSize) ? W : double(kPitchTableSize);
  const std::int32_t F = std::int32_t(W);
  if (F != filter.cachedCutoff) UpdateCoefficients(filter, F, tables);

  double& s1 = filter.state[0];
  double& s2 = filter.state[1];
  double& s3 = filter.state[2];
  double& s4 = filter.state[3];
  s1 = Settle(s1);
  s2 = Settle(s2);
  s3 = Settle(s3);
  s4 = Settle(s4);
  const double K = filter.K;
  const double R = filter.R;

  // Fourth-stage output if the feedback were linear, solved for the loop.
  const double y = (((s1 * K + s2) * K + s3) * K + s4 + x * filter.K4) * filter.solveFactor;
  const double f = Saturate(y) * filter.feedbackGain;

  // Four bilinear one-poles K (1 + z⁻¹) / (1 + R z⁻¹), transposed direct form.
  const double a = (x - f) * K;
  const double l1 = s1 + a;
  s1 = a - R * l1;
  const double b = K * l1;
  const double l2 = s2 + b;
  s2 = b - R * l2;
  const double c = K * l2;
  const double l3 = s3 + c;
  s3 = c - R * l3;
  const double d = K * l3;
  const double l4 = s4 + d;
  s4 = d - R * l4;

  s1 = Flush(s1);
  s2 = Flush(s2);
  s3 = Flush(s3);
  s4 = Flush(s4);
  return y * filter.outputGain;
}

}  // namespace dsp
