// What the engine does when a parameter's value changes. The engine keeps
// its own copy of every value it uses; this is the only way values reach it.
#include <cstdint>

#include "engine/dsp/KeyAssign.h"
#include "engine/Kestrion.h"
#include "engine/ParameterIndex.h"
#include "engine/dsp/PitchTables.h"

namespace {

constexpr double kRangeFactor[] = {1.0, 0.2, 0.0};          // "High", "Low", "Off"
constexpr std::int32_t kOctaveSemitones[] = {-12, 0, 12, 24};  // 16', 8', 4', 2'
constexpr std::int32_t kArpOctaves[] = {4, 2, 1};              // "Full", "2Oct", "1Oct"
constexpr double kStepBeats[] = {16, 12, 8, 6, 4, 3, 2, 1.5, 4.0 / 3, 1, 0.75, 2.0 / 3, 0.5,
                                 0.375, 1.0 / 3, 0.25, 0.1875, 1.0 / 6, 0.125, 0.0625};
constexpr int kArpDown = 1;
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

}  // namespace

void Kestrion::ParameterChanged(int index) {
  Lock lock(Mutex());
  Synth::ParameterChanged(index);
  const IEffectParameter* parameter = Parameter(index);
  if (parameter != nullptr) ApplyParameter(index, parameter->value);
}

void Kestrion::ChangeKeyAssignMode(int mode) {
  KeyAssignment& keys = engine_.keys;
  if (mode == keys.mode) return;
  std::int32_t intervals[kOscillatorCount];
  const bool fromPolyphonic = keys.mode == kUnisonShare || keys.mode == kPoly;
  if (mode == kChordMemory && fromPolyphonic && CaptureChord(engine_, intervals)) {
    for (int i = 0; i < kOscillatorCount; ++i)
      SetParameterFromEditor(Param::Chord1 + i, intervals[i] / double(kUnusedChordInterval));
  }
  keys.mode = mode;
  keys.roundRobin = 0;
}

void Kestrion::ApplyParameter(int index, double v) {
  Instrument& e = engine_;
  const std::int32_t n = IntegerOf(v);
  switch (index) {
    case Param::KeyAssign:
      ChangeKeyAssignMode(n);
      break;
    case Param::Trigger:
      e.keys.multipleTrigger = v < 0.5;
      if (e.gate.open) {
        RestartEnvelopeFromZero(e.eg1);
        RestartEnvelopeFromZero(e.eg2);
      }
      break;
    case Param::AutoDamp:
      e.keys.autoDamp = v >= 0.5;
      break;
    case Param::Hold: {
      const bool wasOn = e.keys.hold;
      e.keys.hold = v >= 0.5;
      if (e.keys.hold && e.arp.active) {
        SetParameterFromEditor(Param::Hold, 0.0);  // Hold and the arpeggiator exclude each other
      } else if (wasOn && !e.keys.hold) {
        CloseGate(e.gate, e.eg1, e.eg2);
      }
      break;
    }
    case Param::Chord1:
    case Param::Chord1 + 1:
    case Param::Chord1 + 2:
    case Param::Chord1 + 3:
      e.keys.chordInterval[index - Param::Chord1] = n;
      break;
    case Param::Volume:
      e.volume = v;
      e.outputGain = e.volume * e.rangeFactor;
      break;
    case Param::OutRange:
      e.rangeFactor = Choice(kRangeFactor, n, 1.0);
      e.outputGain = e.volume * e.rangeFactor;
      break;
    case Param::Transpose:
      e.transpose = TransposeOfChoice(n);
      for (Oscillator& osc : e.vco) Retune(osc, e.transpose, KeyToPitch(osc.key, e.tuning));
      e.filter.transposeOffset = e.transpose * kPitchStepsPerSemitone;
      break;
    case Param::MasterTune:
      e.modulation.masterTune = v;
      break;
    case Param::Detune:
      e.modulation.detune = v;
      break;
    case Param::Portamento:
      e.keys.portamento = v;
      UpdateGlideTimes(e);
      break;
    case Param::BendTarget:
      e.modulation.bendTarget = n;
      break;
    case Param::BendIntensity:
      e.modulation.bendIntensity = v;
      break;
    case Param::WheelTarget:
      e.modulation.wheelTarget = n;
      break;
    case Param::WheelIntensity:
      e.modulation.wheelIntensity = v;
      break;
    case Param::Wave1:
    case Param::Wave1 + 4:
    case Param::Wave1 + 8:
    case Param::Wave1 + 12:
      e.vco[(index - Param::Wave1) / 4].waveform = n;
      break;
    case Param::Octave1:
    case Param::Octave1 + 4:
    case Param::Octave1 + 8:
    case Param::Octave1 + 12:
      SetOctave(e.vco[(index - Param::Octave1) / 4], Choice(kOctaveSemitones, n, 0));
      break;
    case Param::Level1:
    case Param::Level1 + 4:
    case Param::Level1 + 8:
    case Param::Level1 + 12:
      e.vco[(index - Param::Level1) / 4].level = v;
      break;
    case Param::Tune2:
    case Param::Tune2 + 4:
    case Param::Tune2 + 8:
      SetTune(e.vco[(index - Param::Tune2) / 4 + 1], n);
      break;
    case Param::PwmDepth:
      for (Oscillator& osc : e.vco) osc.pwmDepth = v;
      break;
    case Param::PwmSource: {
      const double* source = n == 0 ? &e.eg1.level : (n == 1 ? &e.mg1.unipolar : &e.mg2.unipolar);
      for (Oscillator& osc : e.vco) osc.pwmSource = source;
      break;
    }
    case Param::PulseWidth:
      for (Oscillator& osc : e.vco) osc.pulseWidth = v;
      break;
    case Param::Noise:
      e.noise.level = v;  // the noise switches on or off at the next tick
      break;
    case Param::Effects:
      e.modulation.effects = v >= 0.5;
      break;
    case Param::CrossMod:
      e.modulation.crossModAmount = v;
      e.modulation.crossModActive = v != 0.0;
      break;
    case Param::FmAmount:
      e.modulation.fmAmount = v;
      break;
    case Param::FmSource:
      e.modulation.fmFromEg1 = v >= 0.5;
      break;
    case Param::FxType:
      e.modulation.crossModInType = n != kFxTypeSync;
      e.modulation.syncInType = n != kFxTypeCrossMod;
      break;
    case Param::FxMode:
      e.modulation.singleMode = n == kFxModeSingle;
      break;
    case Param::Cutoff:
      e.filter.cutoffPitch = CutoffPitchOf(v);
      break;
    case Param::Resonance:
      SetResonance(e.filter, v);
      break;
    case Param::EgIntensity:
      e.filter.egIntensity = v;
      break;
    case Param::KeyTrack:
      e.filter.keyTrack = v;
      break;
    case Param::Mg1Wave:
      e.mg1.waveform = n;
      break;
    case Param::Mg1Rate:
      SetModRate(e.mg1, v);
      break;
    case Param::Mg2Rate:
      SetModRate(e.mg2, v);
      break;
    case Param::Eg1Attack:
      SetAttack(e.eg1, v);
      break;
    case Param::Eg1Attack + 1:
      SetDecay(e.eg1, v);
      break;
    case Param::Eg1Attack + 2:
      SetSustain(e.eg1, v);
      break;
    case Param::Eg1Attack + 3:
      SetRelease(e.eg1, v);
      break;
    case Param::Eg2Attack:
      SetAttack(e.eg2, v);
      break;
    case Param::Eg2Attack + 1:
      SetDecay(e.eg2, v);
      break;
    case Param::Eg2Attack + 2:
      SetSustain(e.eg2, v);
      break;
    case Param::Eg2Attack + 3:
      SetRelease(e.eg2, v);
      break;
    case Param::ArpRange:
      e.arp.octaves = Choice(kArpOctaves, n, 1);
      break;
    case Param::ArpMode:
      e.arp.mode = n;
      e.arp.downward = n == kArpDown;
      break;
    case Param::ArpState:
      heldKeys_.Clear();
      e.arp.position = 0;
      e.arp.octave = 0;
      e.arp.state = n;
      e.arp.active = n != kArpOff;
      // A stored Hold survives the restore of a program that does not arpeggiate.
      if (e.arp.active && e.keys.hold) SetParameterFromEditor(Param::Hold, 0.0);
      break;
    case Param::WheelOverride:
      e.modulation.wheelOverride = v;
      break;
    case Param::ShiftSingle:
      e.modulation.shiftSingle = v;
      break;
    case Param::ShiftDouble:
      e.modulation.shiftDouble = v;
      break;
    case Param::ArpTrigger:
      e.arp.clockedByMg2 = n == 0;
      break;
    case Param::ArpTempo:
      e.arp.stepBeats = Choice(kStepBeats, n, 1.0);
      e.arp.stepReciprocal = 1.0 / e.arp.stepBeats;
      break;
    case Param::VcfVelocity:
      e.filter.velocityAmount = v;
      break;
    case Param::VcaVelocity:
      e.vcaVelocity = v;
      break;
    case Param::Drift:
      e.keys.drift = n;
      UpdateGlideTimes(e);
      break;
    default:  // "FXReset" is the panel's; other indices do nothing
      break;
  }
}
