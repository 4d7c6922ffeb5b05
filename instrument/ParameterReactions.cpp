// What the engine does when a parameter's value changes. The engine keeps
// its own copy of every value it uses; this is the only way values reach it.
#include <cstdint>

#include "dsp/Arpeggiator.h"
#include "dsp/KeyAssign.h"
#include "dsp/PitchTables.h"
#include "instrument/Kestrion.h"
#include "instrument/ParameterIndex.h"

using namespace dsp;

namespace {

constexpr double kRangeFactor[] = {1.0, 0.2, 0.0};             // "High", "Low", "Off"
constexpr std::int32_t kOctaveSemitones[] = {-12, 0, 12, 24};  // 16', 8', 4', 2'
constexpr std::int32_t kArpOctaves[] = {4, 2, 1};              // "Full", "2Oct", "1Oct"
constexpr double kStepBeats[] = {16,   12,      8,   6,     4,       3,    2,      1.5,     4.0 / 3, 1,
                                 0.75, 2.0 / 3, 0.5, 0.375, 1.0 / 3, 0.25, 0.1875, 1.0 / 6, 0.125,   0.0625};
constexpr int kFxTypeSync = 0;
constexpr int kFxTypeCrossMod = 2;
constexpr int kFxModeSingle = 1;

// trunc(v) where it fits 32 bits; else the most negative value, which is no
// choice of any parameter.
std::int32_t IntegerOf(double v) {
  if (v >= -2147483648.0 && v < 2147483648.0) return std::int32_t(v);
  return INT32_MIN;
}

template <typename T, std::size_t N>
T Choice(const T (&table)[N], std::int32_t choice, T otherwise) {
  return (choice >= 0 && choice < std::int32_t(N)) ? table[choice] : otherwise;
}

// Each handler below takes the parameters of one part of the instrument and
// answers false for any other index. `v` is the value, `n` its integer part.

bool ApplyOscillatorParameter(Instrument& e, int index, double v, std::int32_t n) {
  for (int i = 0; i < kOscillatorCount; ++i) {
    const Param::OscillatorIndices& p = Param::kOscillator[i];
    Oscillator& osc = e.vco[i];
    if (index == p.wave) {
      osc.waveform = n;
    } else if (index == p.octave) {
      SetOctave(osc, Choice(kOctaveSemitones, n, 0));
    } else if (index == p.level) {
      osc.level = v;
    } else if (index == p.tune) {
      SetTune(osc, n);
    } else {
      continue;
    }
    return true;
  }
  switch (index) {
    case Param::PwmDepth:
      for (Oscillator& osc : e.vco) osc.pwmDepth = v;
      return true;
    case Param::PwmSource: {
      const double* source = n == 0 ? &e.eg1.level : (n == 1 ? &e.mg1.unipolar : &e.mg2.unipolar);
      for (Oscillator& osc : e.vco) osc.pwmSource = source;
      return true;
    }
    case Param::PulseWidth:
      for (Oscillator& osc : e.vco) osc.pulseWidth = v;
      return true;
    case Param::Noise:
      e.noise.level = v;  // the noise switches on or off at the next tick
      return true;
    default: return false;
  }
}

bool ApplyFilterParameter(LadderFilter& filter, int index, double v) {
  switch (index) {
    case Param::Cutoff: filter.cutoffPitch = CutoffPitchOf(v); return true;
    case Param::Resonance: SetResonance(filter, v); return true;
    case Param::EgIntensity: filter.egIntensity = v; return true;
    case Param::KeyTrack: filter.keyTrack = v; return true;
    case Param::VcfVelocity: filter.velocityAmount = v; return true;
    default: return false;
  }
}

bool ApplyEnvelopeParameter(Envelope& eg, const Param::EnvelopeIndices& p, int index, double v) {
  if (index == p.attack) {
    SetAttack(eg, v);
  } else if (index == p.decay) {
    SetDecay(eg, v);
  } else if (index == p.sustain) {
    SetSustain(eg, v);
  } else if (index == p.release) {
    SetRelease(eg, v);
  } else {
    return false;
  }
  return true;
}

bool ApplyGeneratorParameter(Instrument& e, int index, double v, std::int32_t n) {
  switch (index) {
    case Param::Mg1Wave: e.mg1.waveform = n; return true;
    case Param::Mg1Rate: SetModRate(e.mg1, v); return true;
    case Param::Mg2Rate: SetModRate(e.mg2, v); return true;
    default: return false;
  }
}

// Bend and wheel routing, tuning, and the oscillator effects.
bool ApplyEffectsParameter(PitchModulation& m, int index, double v, std::int32_t n) {
  switch (index) {
    case Param::MasterTune: m.masterTune = v; return true;
    case Param::Detune: m.detune = v; return true;
    case Param::BendTarget: m.bendTarget = n; return true;
    case Param::BendIntensity: m.bendIntensity = v; return true;
    case Param::WheelTarget: m.wheelTarget = n; return true;
    case Param::WheelIntensity: m.wheelIntensity = v; return true;
    case Param::WheelOverride: m.wheelOverride = v; return true;
    case Param::Effects: m.effects = v >= 0.5; return true;
    case Param::CrossMod:
      m.crossModAmount = v;
      m.crossModActive = v != 0.0;
      return true;
    case Param::FmAmount: m.fmAmount = v; return true;
    case Param::FmSource: m.fmFromEg1 = v >= 0.5; return true;
    case Param::FxType:
      m.crossModInType = n != kFxTypeSync;
      m.syncInType = n != kFxTypeCrossMod;
      return true;
    case Param::FxMode: m.singleMode = n == kFxModeSingle; return true;
    case Param::ShiftSingle: m.shiftSingle = v; return true;
    case Param::ShiftDouble: m.shiftDouble = v; return true;
    default: return false;
  }
}

}  // namespace

void Kestrion::ApplyParameterToEngine(int index, double value) {
  ApplyParameter(index, value);
  ShowButtons(index);
}

void Kestrion::ChangeKeyAssignMode(int mode) {
  KeyAssignment& keys = engine_.keys;
  if (mode == keys.mode) return;
  std::int32_t intervals[kOscillatorCount];
  const bool fromPolyphonic = keys.mode == kUnisonShare || keys.mode == kPoly;
  if (mode == kChordMemory && fromPolyphonic && CaptureChord(engine_, intervals)) {
    for (int i = 0; i < kOscillatorCount; ++i)
      SetParameterFromEngine(Param::kChord[i], intervals[i] / double(kUnusedChordInterval));
  }
  keys.mode = mode;
  keys.roundRobin = 0;
}

void Kestrion::ApplyParameter(int index, double v) {
  const std::int32_t n = IntegerOf(v);
  // "FXReset" is the panel's: no handler takes it.
  ApplyVoiceParameter(index, v, n) || ApplyOscillatorParameter(engine_, index, v, n) ||
      ApplyFilterParameter(engine_.filter, index, v) || ApplyEnvelopeParameter(engine_.eg1, Param::kEg1, index, v) ||
      ApplyEnvelopeParameter(engine_.eg2, Param::kEg2, index, v) || ApplyGeneratorParameter(engine_, index, v, n) ||
      ApplyArpeggiatorParameter(index, n) || ApplyEffectsParameter(engine_.modulation, index, v, n);
}

// Key assignment, gate, output level, transpose and glide.
bool Kestrion::ApplyVoiceParameter(int index, double v, std::int32_t n) {
  Instrument& e = engine_;
  for (int i = 0; i < kOscillatorCount; ++i) {
    if (index != Param::kChord[i]) continue;
    e.keys.chordInterval[i] = n;
    return true;
  }
  switch (index) {
    case Param::KeyAssign: ChangeKeyAssignMode(n); return true;
    case Param::Trigger:
      e.keys.multipleTrigger = v < 0.5;
      if (e.gate.open) {
        RestartEnvelopeFromZero(e.eg1);
        RestartEnvelopeFromZero(e.eg2);
      }
      return true;
    case Param::AutoDamp: e.keys.autoDamp = v >= 0.5; return true;
    case Param::Hold: {
      const bool wasOn = e.keys.hold;
      e.keys.hold = v >= 0.5;
      if (e.keys.hold && e.arp.active) {
        SetParameterFromEngine(Param::Hold, 0.0);  // Hold and the arpeggiator exclude each other
      } else if (wasOn && !e.keys.hold) {
        CloseGate(e.gate, e.eg1, e.eg2);
      }
      return true;
    }
    case Param::Volume:
      e.volume = v;
      e.outputGain = e.volume * e.rangeFactor;
      return true;
    case Param::OutRange:
      e.rangeFactor = Choice(kRangeFactor, n, 1.0);
      e.outputGain = e.volume * e.rangeFactor;
      return true;
    case Param::Transpose:
      e.transpose = TransposeOfChoice(n);
      for (Oscillator& osc : e.vco) Retune(osc, e.transpose, KeyToPitch(osc.key, e.tuning));
      e.filter.transposeOffset = e.transpose * kPitchStepsPerSemitone;
      return true;
    case Param::Portamento:
      e.keys.portamento = v;
      UpdateGlideTimes(e);
      return true;
    case Param::Drift:
      e.keys.drift = n;
      UpdateGlideTimes(e);
      return true;
    case Param::VcaVelocity: e.vcaVelocity = v; return true;
    default: return false;
  }
}

bool Kestrion::ApplyArpeggiatorParameter(int index, std::int32_t n) {
  Arpeggiator& arp = engine_.arp;
  switch (index) {
    case Param::ArpRange: arp.octaves = Choice(kArpOctaves, n, 1); return true;
    case Param::ArpMode:
      arp.mode = n;
      arp.downward = n == kArpDown;
      return true;
    case Param::ArpState:
      heldKeys_.Clear();
      arp.position = 0;
      arp.octave = 0;
      arp.state = n;
      arp.active = n != kArpOff;
      // A stored Hold survives the restore of a program that does not arpeggiate.
      if (arp.active && engine_.keys.hold) SetParameterFromEngine(Param::Hold, 0.0);
      return true;
    case Param::ArpTrigger: arp.clockedByMg2 = n == 0; return true;
    case Param::ArpTempo:
      arp.stepBeats = Choice(kStepBeats, n, 1.0);
      arp.stepReciprocal = 1.0 / arp.stepBeats;
      return true;
    default: return false;
  }
}
