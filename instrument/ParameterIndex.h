// Index of each of the instrument's parameters: the order of every stored
// program and of the learned-controller map.
#pragma once

namespace Param {

enum Index : int {
  KeyAssign = 0,
  Trigger = 1,
  AutoDamp = 2,
  Hold = 3,
  Chord1 = 4,
  Chord2 = 5,
  Chord3 = 6,
  Chord4 = 7,
  Volume = 8,
  OutRange = 9,
  Transpose = 10,
  MasterTune = 11,
  Detune = 12,
  Portamento = 13,
  BendTarget = 14,
  BendIntensity = 15,
  WheelTarget = 16,
  WheelIntensity = 17,
  Wave1 = 18,
  Octave1 = 19,
  Level1 = 20,
  Tune2 = 21,
  Wave2 = 22,
  Octave2 = 23,
  Level2 = 24,
  Tune3 = 25,
  Wave3 = 26,
  Octave3 = 27,
  Level3 = 28,
  Tune4 = 29,
  Wave4 = 30,
  Octave4 = 31,
  Level4 = 32,
  PwmDepth = 33,
  PwmSource = 34,
  PulseWidth = 35,
  Noise = 36,
  Effects = 37,
  CrossMod = 38,
  FmAmount = 39,
  FmSource = 40,
  FxType = 41,
  FxMode = 42,
  Cutoff = 43,
  Resonance = 44,
  EgIntensity = 45,
  KeyTrack = 46,
  Mg1Wave = 47,
  Mg1Rate = 48,
  Mg2Rate = 49,
  Eg1Attack = 50,
  Eg1Decay = 51,
  Eg1Sustain = 52,
  Eg1Release = 53,
  Eg2Attack = 54,
  Eg2Decay = 55,
  Eg2Sustain = 56,
  Eg2Release = 57,
  ArpRange = 58,
  ArpMode = 59,
  ArpState = 60,
  WheelOverride = 61,
  FxReset = 62,
  ShiftSingle = 63,
  ShiftDouble = 64,
  ArpTrigger = 65,
  ArpTempo = 66,
  VcfVelocity = 67,
  VcaVelocity = 68,
  Drift = 69,
};

// The parameters of each oscillator; VCO 1 has no tune of its own.
struct OscillatorIndices {
  Index wave, octave, level, tune;
};
constexpr int kNoParameter = -1;
constexpr OscillatorIndices kOscillator[] = {
    {Wave1, Octave1, Level1, Index(kNoParameter)},
    {Wave2, Octave2, Level2, Tune2},
    {Wave3, Octave3, Level3, Tune3},
    {Wave4, Octave4, Level4, Tune4},
};

constexpr Index kChord[] = {Chord1, Chord2, Chord3, Chord4};

struct EnvelopeIndices {
  Index attack, decay, sustain, release;
};
constexpr EnvelopeIndices kEg1 = {Eg1Attack, Eg1Decay, Eg1Sustain, Eg1Release};
constexpr EnvelopeIndices kEg2 = {Eg2Attack, Eg2Decay, Eg2Sustain, Eg2Release};

}  // namespace Param
