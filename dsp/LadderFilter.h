// Four-pole low-pass ladder with saturated resonance feedback, solved
// without a unit delay in the loop. The cutoff is a pitch index.
#pragma once

#include <cstdint>

#include "dsp/DspConstants.h"
#include "dsp/Envelope.h"
#include "dsp/PitchTables.h"

namespace dsp {

constexpr int kLadderStages = 4;
constexpr double kKeyFollowCentreKey = 30.0;
constexpr double kKeyFollowStepsPerKey = 202.75;  // at full key tracking
constexpr double kVelocityCutoffRange = 7681.0;   // pitch steps at full "VCF Velo"

struct LadderFilter {
  // Settings.
  double cutoffPitch = 0.0;  // from "CutOff"
  double resonance = 0.0;
  double egIntensity = 0.0;  // pitch steps at full envelope
  double keyTrack = 0.0;
  double velocityAmount = 0.0;
  double transposeOffset = 0.0;  // ±1536 or 0, follows "Trnspose"

  // Assembled at each control tick, read every sample.
  double cutoffBase = 0.0;

  // Coefficients of cachedCutoff; −1 means none.
  std::int32_t cachedCutoff = -1;
  double K = 0.0;  // G / (G + 2)
  double R = 0.0;  // (G − 2) / (G + 2)
  double K4 = 0.0;
  double feedbackGain = 0.0;
  double solveFactor = 0.0;  // 1 / (1 + k K⁴)
  double outputGain = 0.0;

  // Non-zero at the start, so a self-oscillating setting rings out of silence.
  double state[kLadderStages] = {1.0, 0.0, -1.0, 0.0};
};

// Cutoff pitch of a "CutOff" setting: 0.25 is 8640 (key 67.5), 1 is 17280.
double CutoffPitchOf(double cutOff);

// Pitch steps the cutoff follows a key by at full key tracking.
double KeyFollowPitch(std::int32_t key);

// New resonance; the coefficients are recomputed at the next sample.
void SetResonance(LadderFilter& filter, double resonance);

// Control tick. bendAndWheel is what pitch bend and mod wheel add to the cutoff;
// velocity is 0–1.
void UpdateCutoff(LadderFilter& filter, double keyFollowPitch, double velocity, double bendAndWheel);

// One sample. Steps eg1, whose level before the step moves the cutoff.
double FilterSample(LadderFilter& filter, double x, Envelope& eg1, const PitchTables& tables);

}  // namespace dsp
