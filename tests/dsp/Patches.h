// Patches the engine tests and the render benchmarks play, set through
// anything with Set(index, normalised value).
#pragma once

#include "instrument/ParameterIndex.h"

namespace patches {

// Sawtooth, PWM and PW oscillators with noise into a resonant filter that
// EG1 sweeps.
template <typename Synth>
void ResonantOscillators(Synth& s) {
  s.Set(Param::Wave1, 1.0f / 3);  // sawtooth
  s.Set(Param::Wave2, 2.0f / 3);  // PWM
  s.Set(Param::Wave3, 1.0f);      // PW
  s.Set(Param::PwmDepth, 0.7f);
  s.Set(Param::Noise, 0.5f);
  s.Set(Param::Resonance, 1.0f);
  s.Set(Param::Cutoff, 0.3f);
  s.Set(Param::EgIntensity, 0.85f);
  s.Set(Param::Eg1Decay, 0.45f);
  s.Set(Param::Detune, 0.3f);
}

// The arpeggiator stepping sixteenths up and down on the host's tempo.
template <typename Synth>
void TempoArpeggio(Synth& s, float range) {
  s.Set(Param::ArpState, 0.5f);        // "On"
  s.Set(Param::ArpTrigger, 1.0f);      // "MIDI"
  s.Set(Param::ArpTempo, 15.0f / 19);  // "1/16"
  s.Set(Param::ArpRange, range);       // 0 "Full", 0.5 "2Oct", 1 "1Oct"
  s.Set(Param::ArpMode, 1.0f);         // "Up/Down"
}

// Hard sync and cross-modulation in pairs ("S\&X", Double mode) with
// frequency modulation.
template <typename Synth>
void SyncAndCrossModulation(Synth& s, float fmAmount, float shift) {
  s.Set(Param::Effects, 1.0f);
  s.Set(Param::FxType, 0.5f);  // "S\&X"
  s.Set(Param::FxMode, 0.0f);  // "Double"
  s.Set(Param::CrossMod, 0.8f);
  s.Set(Param::FmAmount, fmAmount);
  s.Set(Param::ShiftDouble, shift);
}

}  // namespace patches
