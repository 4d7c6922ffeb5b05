// Hard sync and cross-modulation between master and slave oscillators.
// Single mode: VCO 1 leads VCOs 2–4. Double mode: VCO 1 leads VCO 2 and
// VCO 3 leads VCO 4. Both run once a sample, so they are inline.
#pragma once

#include <cmath>
#include <cstdint>

#include "dsp/DspConstants.h"
#include "dsp/Mixer.h"
#include "dsp/Oscillator.h"

namespace dsp {

namespace effects_detail {

// Restart phase of a slave when its master has wrapped to `masterPhase`.
inline std::int32_t SyncedPhase(const Oscillator& slave, const Oscillator& master, std::int32_t masterPhase) {
  const double ratio = double(masterPhase) / double(master.pitchIndex);
  // A master at pitch index 0 gives no finite ratio: the slave starts at 0.
  if (!std::isfinite(ratio)) return 0;
  const double restart = slave.pitchIndex * ratio;
  return WrapPhase(std::uint32_t(std::int64_t(restart)));
}

inline void AdvanceMaster(Oscillator (&vco)[kOscillatorCount], int master, int firstSlave, int lastSlave) {
  Oscillator& m = vco[master];
  const std::int64_t unwrapped = std::int64_t(m.phase) + m.phaseIncrement;
  m.secondPhase = WrapPhase(std::uint32_t(m.secondPhase) + std::uint32_t(m.phaseIncrement));
  m.phase = WrapPhase(std::uint32_t(unwrapped));
  if (unwrapped < kPhaseCycle) {
    for (int i = firstSlave; i <= lastSlave; ++i) AdvancePhase(vco[i]);
    return;
  }
  for (int i = firstSlave; i <= lastSlave; ++i) {
    Oscillator& s = vco[i];
    const std::int32_t restart = SyncedPhase(s, m, m.phase);
    const std::int32_t pulseOffset = WrapPhase(std::uint32_t(s.secondPhase) - std::uint32_t(s.phase));
    s.secondPhase = WrapPhase(std::uint32_t(pulseOffset) + std::uint32_t(restart));
    s.phase = restart;
  }
}

inline double Modulator(const Oscillator& master, double amount) {
  return (SampleOf(master, master.nextTable) - 1.0) * amount + 1.0;
}

}  // namespace effects_detail

// Per sample, in place of AdvancePhases while sync is on. When a master
// wraps, each slave restarts at the master's overshoot scaled by the ratio
// of their pitch indices, keeping its pulse offset.
inline void AdvancePhasesSynced(Oscillator (&vco)[kOscillatorCount], bool singleMode) {
  if (singleMode) {
    effects_detail::AdvanceMaster(vco, 0, 1, 3);
  } else {
    effects_detail::AdvanceMaster(vco, 0, 1, 1);
    effects_detail::AdvanceMaster(vco, 2, 3, 3);
  }
}

// Per sample, in place of MixSample while cross-modulation is on: slaves are
// scaled by ((master − 1) × amount + 1), so amount 1 is ring modulation.
// Products read the next table down, as they contain sum frequencies.
inline double MixCrossModulated(const Oscillator (&vco)[kOscillatorCount], const bool (&sounding)[kOscillatorCount],
                                NoiseSource& noise, double amount, bool singleMode) {
  using effects_detail::Modulator;
  double s = 0.0;
  if (sounding[0]) s = vco[0].level * SampleOf(vco[0], vco[0].currentTable);
  if (singleMode) {
    const double G = Modulator(vco[0], amount);
    for (int i = 1; i < kOscillatorCount; ++i) {
      if (sounding[i]) s += G * vco[i].level * SampleOf(vco[i], vco[i].nextTable);
    }
  } else {
    if (sounding[1]) s += Modulator(vco[0], amount) * vco[1].level * SampleOf(vco[1], vco[1].nextTable);
    if (sounding[2]) s += vco[2].level * SampleOf(vco[2], vco[2].currentTable);
    if (sounding[3]) s += Modulator(vco[2], amount) * vco[3].level * SampleOf(vco[3], vco[3].nextTable);
  }
  if (noise.on) s += NextNoise(noise) * noise.level;
  return s;
}

}  // namespace dsp
