// The instrument's 70 parameters. Their order is part of every stored
// program and of the learned-controller map: never reorder it.
#include "instrument/Kestrion.h"

namespace {

struct ParameterDefinition {
  const char* name;
  IEffectParameter::Kind kind;
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
constexpr const char* kArpTempo[] = {"4/1",  "2/1.", "2/1",  "1/1.",  "1/1",  "1/2.",  "1/2",
                                     "1/4.", "1/2T", "1/4",  "1/8.",  "1/4T", "1/8",   "1/16.",
                                     "1/8T", "1/16", "1/32.", "1/16T", "1/32", "1/64"};
constexpr const char* kDrift[] = {"Off", "Normal", "Extreme"};

template <size_t N>
constexpr ParameterDefinition Enumeration(const char* name, int defaultIndex, const char* const (&names)[N]) {
  return {name, IEffectParameter::kEnumeration, 0, N - 1.0, double(defaultIndex), 1, 1, names, int(N)};
}
constexpr ParameterDefinition Continuous(const char* name, double minimum, double maximum,
                                   double defaultValue, double step, double shape = 1) {
  return {name, IEffectParameter::kContinuous, minimum, maximum, defaultValue, step, shape, nullptr, 0};
}
constexpr ParameterDefinition Integer(const char* name, double minimum, double maximum) {
  return {name, IEffectParameter::kInteger, minimum, maximum, 0, 1, 1, nullptr, 0};
}

const ParameterDefinition kParameters[Kestrion::kParameterCount] = {
    Enumeration("KeyAssgn", 0, kKeyAssign),
    Enumeration("Trigger", 0, kTrigger),
    Enumeration("AutoDamp", 0, kOffOn),
    Enumeration("Hold", 0, kOffOn),
    Integer("Chord #1", 0, 128),
    Integer("Chord #2", 0, 128),
    Integer("Chord #3", 0, 128),
    Integer("Chord #4", 0, 128),
    Continuous("Volume", 0, 1, 1, 0.01),
    Enumeration("OutRange", 1, kOutRange),
    Enumeration("Trnspose", 1, kTranspose),
    Continuous("MstrTune", -32, 32, 0, 1),
    Continuous("Detune", 0, 35, 0, 0.1),
    Continuous("Portamnt", 0, 4, 0, 0.01, 4),
    Enumeration("PBTarget", 1, kTarget),
    Continuous("PBIntens", 0, 1, 0.4, 0.01),
    Enumeration("MWTarget", 1, kTarget),
    Continuous("MWIntens", 0, 1, 0, 0.01),
    Enumeration("Wave 1", 1, kWave),
    Enumeration("Octave 1", 1, kOctave),
    Continuous("Level 1", 0, 1, 1, 0.01),
    Continuous("Tune 2", -32, 32, 0, 1),
    Enumeration("Wave 2", 1, kWave),
    Enumeration("Octave 2", 1, kOctave),
    Continuous("Level 2", 0, 1, 1, 0.01),
    Continuous("Tune 3", -32, 32, 0, 1),
    Enumeration("Wave 3", 1, kWave),
    Enumeration("Octave 3", 1, kOctave),
    Continuous("Level 3", 0, 1, 1, 0.01),
    Continuous("Tune 4", -32, 32, 0, 1),
    Enumeration("Wave 4", 1, kWave),
    Enumeration("Octave 4", 1, kOctave),
    Continuous("Level 4", 0, 1, 1, 0.01),
    Continuous("PWM", 0, 1, 0, 0.01),
    Enumeration("PWM Src", 2, kPwmSource),
    Continuous("PW", 0, 1, 0.5, 0.01),
    Continuous("Noise", 0, 1, 0, 0.01),
    Enumeration("Effects", 0, kOffOn),
    Continuous("FX X-Mod", 0, 1.5, 0, 0.01, 0.5),
    Continuous("FX FM", 0, 3841, 0, 1),
    Enumeration("FX FMSrc", 0, kFmSource),
    Enumeration("FX Type", 2, kFxType),
    Enumeration("FX Mode", 1, kFxMode),
    Continuous("CutOff", 0, 1, 1, 0.01),
    Continuous("Reso", 0, 1, 0, 0.01, 0.5),
    Continuous("EGIntens", -15361, 15361, 0, 1),
    Continuous("KeyTrack", 0, 1, 0, 0.01, 0.5),
    Enumeration("MG1 Wave", 0, kMgWave),
    Continuous("MG1 Rate", 0, 1, 0.1, 0.01, 2),
    Continuous("MG2 Rate", 0, 1, 0.1, 0.01, 2),
    Continuous("EG1 A", 0, 1, 0, 0.01),
    Continuous("EG1 D", 0, 1, 0, 0.01),
    Continuous("EG1 S", 0, 1, 0, 0.01),
    Continuous("EG1 R", 0, 1, 0, 0.01),
    Continuous("EG2 A", 0, 1, 0, 0.01),
    Continuous("EG2 D", 0, 1, 0, 0.01),
    Continuous("EG2 S", 0, 1, 1, 0.01),
    Continuous("EG2 R", 0, 1, 0, 0.01),
    Enumeration("ARPRange", 2, kArpRange),
    Enumeration("ARP Mode", 2, kArpMode),
    Enumeration("ARPState", 2, kArpState),
    Continuous("MWOvride", 0, 1, 0, 0.01),
    Enumeration("FXReset", 1, kOffOn),
    Continuous("FXFrqShS", 0, 1537, 0, 1),
    Continuous("FXFrqShD", 0, 1537, 0, 1),
    Enumeration("ARP Trig", 0, kArpTrigger),
    Enumeration("ARPTempo", 9, kArpTempo),
    Continuous("VCF Velo", 0, 1, 0, 0.01),
    Continuous("VCA Velo", 0, 1, 0, 0.01),
    Enumeration("PtmDrift", 0, kDrift),
};

}  // namespace

void Kestrion::DefineParameters() {
  for (int i = 0; i < kParameterCount; ++i) {
    const ParameterDefinition& definition = kParameters[i];
    IEffectParameter* parameter = Parameter(i);
    if (definition.kind == IEffectParameter::kEnumeration) {
      parameter->DefineEnumeration(definition.name, static_cast<int>(definition.defaultValue), definition.valueCount,
                                   definition.valueNames);
    } else {
      if (definition.kind == IEffectParameter::kInteger) parameter->kind = IEffectParameter::kInteger;
      parameter->DefineContinuous(definition.name, definition.defaultValue, definition.minimum, definition.maximum,
                                  definition.step, definition.shape);
    }
  }
}
