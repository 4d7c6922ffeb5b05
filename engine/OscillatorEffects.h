// Hard sync and cross-modulation between master and slave oscillators.
// Single mode: VCO 1 leads VCOs 2–4. Double mode: VCO 1 leads VCO 2 and
// VCO 3 leads VCO 4.
#pragma once

#include "engine/DspConstants.h"
#include "engine/Mixer.h"
#include "engine/Oscillator.h"

// Per sample, in place of AdvancePhases while sync is on. When a master
// wraps, each slave restarts at the master's overshoot scaled by the ratio
// of their pitch indices, keeping its pulse offset.
void AdvancePhasesSynced(Oscillator (&vco)[kOscillatorCount], bool singleMode);

// Per sample, in place of MixSample while cross-modulation is on: slaves are
// scaled by ((master − 1) × amount + 1), so amount 1 is ring modulation.
// Products read the next table down, as they contain sum frequencies.
double MixCrossModulated(const Oscillator (&vco)[kOscillatorCount],
                         const bool (&sounding)[kOscillatorCount], const NoiseSource& noise,
                         double amount, bool singleMode);
