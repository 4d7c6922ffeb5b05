// The instrument's 70 parameters. Their order is part of every stored
// program and of the learned-controller map: never reorder it.
#include "instrument/Kestrion.h"
#include "instrument/ParameterIndex.h"

namespace {

struct ParameterDefinition {
  Param::Index index;  // the row's own place, checked below
  const char* name;
  EffectParameter::Kind kind;
  double minimum, maximum, defaultValue, step, shape;
  const char* const* valueNames;  // enumerations only
  int valueCount;
};

constexpr const char* kKeyAssign[] = {"Unison", "RndRobin", "Chord Memory", "Unison/Share", "Poly"};
constexpr const char* kTrigger[] = {"Multiple", "Single"};
constexpr const char* kOffOn[] = {"Off", "On"};
constexpr const char* kOutRange[] = {"High", "Low", "Off"};
constexpr const char* kTranspose[] = {"Up", "Normal", "Down"};
constexpr const char* kTarget[] = {"VCO1/Slave VCO", "Pitch", "VCF"};
constexpr const char* kWave[] = {"Triangle", "Sawtooth", "PWM", "PW"};
constexpr const char* kOctave[] = {"16'", "8'", "4'", "2'"};
constexpr const char* kPwmSource[] = {"VCF EG", "MG1", "MG2"};
constexpr const char* kFmSource[] = {"MG1", "VCF EG"};
constexpr const char* kFxType[] = {"Sync", "S\\&X", "X-Mod"};
constexpr const char* kFxMode[] = {"Double", "Single"};
constexpr const char* kMgWave[] = {"Triangle", "Saw Dn", "Saw Up", "Square"};
constexpr const char* kArpRange[] = {"Full", "2Oct", "1Oct"};
constexpr const char* kArpMode[] = {"Up", "Down", "Up/Down"};
constexpr const char* kArpState[] = {"Latch", "On", "Off"};
constexpr const char* kArpTrigger[] = {"MG2", "MIDI"};
constexpr const char* kArpTempo[] = {"4/1",  "2/1.", "2/1", "1/1.",  "1/1",  "1/2.", "1/2",   "1/4.",  "1/2T", "1/4",
                                     "1/8.", "1/4T", "1/8", "1/16.", "1/8T", "1/16", "1/32.", "1/16T", "1/32", "1/64"};
constexpr const char* kDrift[] = {"Off", "Normal", "Extreme"};

template <size_t N>
constexpr ParameterDefinition Enumeration(Param::Index index, const char* name, int defaultIndex,
                                          const char* const (&names)[N]) {
  return {index, name, EffectParameter::kEnumeration, 0, N - 1.0, double(defaultIndex), 1, 1, names, int(N)};
}
constexpr ParameterDefinition Continuous(Param::Index index, const char* name, double minimum, double maximum,
                                         double defaultValue, double step, double shape = 1) {
  return {index, name, EffectParameter::kContinuous, minimum, maximum, defaultValue, step, shape, nullptr, 0};
}
constexpr ParameterDefinition Integer(Param::Index index, const char* name, double minimum, double maximum) {
  return {index, name, EffectParameter::kInteger, minimum, maximum, 0, 1, 1, nullptr, 0};
}

constexpr ParameterDefinition kParameters[Kestrion::kParameterCount] = {
    Enumeration(Param::KeyAssign, "KeyAssgn", 0, kKeyAssign),
    Enumeration(Param::Trigger, "Trigger", 0, kTrigger),
    Enumeration(Param::AutoDamp, "AutoDamp", 0, kOffOn),
    Enumeration(Param::Hold, "Hold", 0, kOffOn),
    Integer(Param::Chord1, "Chord #1", 0, 128),
    Integer(Param::Chord2, "Chord #2", 0, 128),
    Integer(Param::Chord3, "Chord #3", 0, 128),
    Integer(Param::Chord4, "Chord #4", 0, 128),
    Continuous(Param::Volume, "Volume", 0, 1, 1, 0.01),
    Enumeration(Param::OutRange, "OutRange", 1, kOutRange),
    Enumeration(Param::Transpose, "Trnspose", 1, kTranspose),
    Continuous(Param::MasterTune, "MstrTune", -32, 32, 0, 1),
    Continuous(Param::Detune, "Detune", 0, 35, 0, 0.1),
    Continuous(Param::Portamento, "Portamnt", 0, 4, 0, 0.01, 4),
    Enumeration(Param::BendTarget, "PBTarget", 1, kTarget),
    Continuous(Param::BendIntensity, "PBIntens", 0, 1, 0.4, 0.01),
    Enumeration(Param::WheelTarget, "MWTarget", 1, kTarget),
    Continuous(Param::WheelIntensity, "MWIntens", 0, 1, 0, 0.01),
    Enumeration(Param::Wave1, "Wave 1", 1, kWave),
    Enumeration(Param::Octave1, "Octave 1", 1, kOctave),
    Continuous(Param::Level1, "Level 1", 0, 1, 1, 0.01),
    Continuous(Param::Tune2, "Tune 2", -32, 32, 0, 1),
    Enumeration(Param::Wave2, "Wave 2", 1, kWave),
    Enumeration(Param::Octave2, "Octave 2", 1, kOctave),
    Continuous(Param::Level2, "Level 2", 0, 1, 1, 0.01),
    Continuous(Param::Tune3, "Tune 3", -32, 32, 0, 1),
    Enumeration(Param::Wave3, "Wave 3", 1, kWave),
    Enumeration(Param::Octave3, "Octave 3", 1, kOctave),
    Continuous(Param::Level3, "Level 3", 0, 1, 1, 0.01),
    Continuous(Param::Tune4, "Tune 4", -32, 32, 0, 1),
    Enumeration(Param::Wave4, "Wave 4", 1, kWave),
    Enumeration(Param::Octave4, "Octave 4", 1, kOctave),
    Continuous(Param::Level4, "Level 4", 0, 1, 1, 0.01),
    Continuous(Param::PwmDepth, "PWM", 0, 1, 0, 0.01),
    Enumeration(Param::PwmSource, "PWM Src", 2, kPwmSource),
    Continuous(Param::PulseWidth, "PW", 0, 1, 0.5, 0.01),
    Continuous(Param::Noise, "Noise", 0, 1, 0, 0.01),
    Enumeration(Param::Effects, "Effects", 0, kOffOn),
    Continuous(Param::CrossMod, "FX X-Mod", 0, 1.5, 0, 0.01, 0.5),
    Continuous(Param::FmAmount, "FX FM", 0, 3841, 0, 1),
    Enumeration(Param::FmSource, "FX FMSrc", 0, kFmSource),
    Enumeration(Param::FxType, "FX Type", 2, kFxType),
    Enumeration(Param::FxMode, "FX Mode", 1, kFxMode),
    Continuous(Param::Cutoff, "CutOff", 0, 1, 1, 0.01),
    Continuous(Param::Resonance, "Reso", 0, 1, 0, 0.01, 0.5),
    Continuous(Param::EgIntensity, "EGIntens", -15361, 15361, 0, 1),
    Continuous(Param::KeyTrack, "KeyTrack", 0, 1, 0, 0.01, 0.5),
    Enumeration(Param::Mg1Wave, "MG1 Wave", 0, kMgWave),
    Continuous(Param::Mg1Rate, "MG1 Rate", 0, 1, 0.1, 0.01, 2),
    Continuous(Param::Mg2Rate, "MG2 Rate", 0, 1, 0.1, 0.01, 2),
    Continuous(Param::Eg1Attack, "EG1 A", 0, 1, 0, 0.01),
    Continuous(Param::Eg1Decay, "EG1 D", 0, 1, 0, 0.01),
    Continuous(Param::Eg1Sustain, "EG1 S", 0, 1, 0, 0.01),
    Continuous(Param::Eg1Release, "EG1 R", 0, 1, 0, 0.01),
    Continuous(Param::Eg2Attack, "EG2 A", 0, 1, 0, 0.01),
    Continuous(Param::Eg2Decay, "EG2 D", 0, 1, 0, 0.01),
    Continuous(Param::Eg2Sustain, "EG2 S", 0, 1, 1, 0.01),
    Continuous(Param::Eg2Release, "EG2 R", 0, 1, 0, 0.01),
    Enumeration(Param::ArpRange, "ARPRange", 2, kArpRange),
    Enumeration(Param::ArpMode, "ARP Mode", 2, kArpMode),
    Enumeration(Param::ArpState, "ARPState", 2, kArpState),
    Continuous(Param::WheelOverride, "MWOvride", 0, 1, 0, 0.01),
    Enumeration(Param::FxReset, "FXReset", 1, kOffOn),
    Continuous(Param::ShiftSingle, "FXFrqShS", 0, 1537, 0, 1),
    Continuous(Param::ShiftDouble, "FXFrqShD", 0, 1537, 0, 1),
    Enumeration(Param::ArpTrigger, "ARP Trig", 0, kArpTrigger),
    Enumeration(Param::ArpTempo, "ARPTempo", 9, kArpTempo),
    Continuous(Param::VcfVelocity, "VCF Velo", 0, 1, 0, 0.01),
    Continuous(Param::VcaVelocity, "VCA Velo", 0, 1, 0, 0.01),
    Enumeration(Param::Drift, "PtmDrift", 0, kDrift),
};

constexpr bool EveryRowInItsPlace() {
  for (int i = 0; i < Kestrion::kParameterCount; ++i)
    if (kParameters[i].index != i) return false;
  return true;
}
static_assert(EveryRowInItsPlace(), "each row of the table stands at its parameter's index");

}  // namespace

void Kestrion::DefineParameters() {
  for (int i = 0; i < kParameterCount; ++i) {
    const ParameterDefinition& definition = kParameters[i];
    EffectParameter* parameter = Parameter(i);
    if (definition.kind == EffectParameter::kEnumeration) {
      parameter->DefineEnumeration(definition.name, static_cast<int>(definition.defaultValue), definition.valueCount,
                                   definition.valueNames);
    } else {
      if (definition.kind == EffectParameter::kInteger) parameter->kind = EffectParameter::kInteger;
      parameter->DefineContinuous(definition.name, definition.defaultValue, definition.minimum, definition.maximum,
                                  definition.step, definition.shape);
    }
  }
}
