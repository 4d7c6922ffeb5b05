#include "engine/OscillatorEffects.h"

#include <cmath>
#include <cstdint>

namespace {

// Restart phase of a slave when its master has wrapped to `masterPhase`.
std::int32_t SyncedPhase(const Oscillator& slave, const Oscillator& master,
                         std::int32_t masterPhase) {
  const double ratio = double(masterPhase) / double(master.pitchIndex);
  // A master at pitch index 0 gives no finite ratio: the slave starts at 0.
  if (!std::isfinite(ratio)) return 0;
  const double restart = slave.pitchIndex * ratio;
  return WrapPhase(std::uint32_t(std::int64_t(restart)));
}

void AdvanceMaster(Oscillator (&vco)[kOscillatorCount], int master, int firstSlave, int lastSlave) {
  Oscillator& m = vco[master];
  const std::int64_t unwrapped = std::int64_t(m.phase) + m.phaseIncrement;
  m.secondPhase = WrapPhase(std::uint32_t(m.secondPhase) + std::uint32_t(m.phaseIncrement));
  if (unwrapped >= kPhaseCycle) {
    m.phase = WrapPhase(std::uint32_t(unwrapped));
    for (int i = firstSlave; i <= lastSlave; ++i) {
      Oscillator& s = vco[i];
      const std::int32_t restart = SyncedPhase(s, m, m.phase);
      const std::int32_t pulseOffset = WrapPhase(std::uint32_t(s.secondPhase) - std::uint32_t(s.phase));
      s.secondPhase = WrapPhase(std::uint32_t(pulseOffset) + std::uint32_t(restart));
      s.phase = restart;
    }
  } else {
    m.phase = WrapPhase(std::uint32_t(unwrapped));
    for (int i = firstSlave; i <= lastSlave; ++i) AdvancePhase(vco[i]);
  }
}

double Modulator(const Oscillator& master, double amount) {
  return (SampleOf(master, master.nextTable) - 1.0) * amount + 1.0;
}

}  // namespace

void AdvancePhasesSynced(Oscillator (&vco)[kOscillatorCount], bool singleMode) {
  if (singleMode) {
    AdvanceMaster(vco, 0, 1, 3);
  } else {
    AdvanceMaster(vco, 0, 1, 1);
    AdvanceMaster(vco, 2, 3, 3);
  }
}

double MixCrossModulated(const Oscillator (&vco)[kOscillatorCount],
                         const bool (&sounding)[kOscillatorCount], const NoiseSource& noise,
                         double amount, bool singleMode) {
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
  if (noise.on) s += NextNoise() * noise.level;
  return s;
}
