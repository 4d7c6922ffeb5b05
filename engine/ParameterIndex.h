// Index of each of the instrument's parameters: the order of every stored
// program and of the learned-controller map.
#pragma once

namespace Param {

enum Index : int {
  KeyAssign = 0,
  Trigger = 1,
  AutoDamp = 2,
  Hold = 3,
  Chord1 = 4,  // … Chord1 + 3
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
  Wave1 = 18,  // oscillator n (0–3): wave 18 + 4n, octave 19 + 4n, level 20 + 4n
  Octave1 = 19,
  Level1 = 20,
  Tune2 = 21,  // oscillator n (1–3): tune 17 + 4n
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
  Eg1Attack = 50,  // attack, decay, sustain, release
  Eg2Attack = 54,
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

}  // namespace Param
