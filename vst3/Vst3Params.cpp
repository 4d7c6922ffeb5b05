// The edit controller's parameters, its units, the program list and the
// MIDI mapping.
//
// The instrument's parameters keep their index as id and the normalised
// values of VST 2.4 automation, so automation means the same in both
// formats; switches and numbers say how many steps they have. The program
// parameter selects a program as the host's preset menu does. The MIDI
// parameters are hidden: the host turns its controllers, pitch bend and
// channel pressure into them, and the audio path turns them back into MIDI.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "instrument/ParameterGroups.h"
#include "plugin/NumberText.h"
#include "vst3/Vst3Plugin.h"
#include "vst3/Vst3Text.h"

using namespace vst3;

namespace {

bool IsStepped(const EffectParameter& parameter) { return parameter.kind != EffectParameter::kContinuous; }

int StepCount(const EffectParameter& parameter) {
  if (!IsStepped(parameter) || !(parameter.step > 0)) return 0;
  return static_cast<int>(std::lround((parameter.maximum - parameter.minimum) / parameter.step));
}

double Unit(double normalised) {
  if (!(normalised > 0)) return 0;  // NaN too
  return normalised < 1 ? normalised : 1;
}

// A normalised value in the parameter's units, as VST 2.4 automation sets it.
double PlainOf(const EffectParameter& parameter, double normalised) {
  double v = parameter.FromNormalizedRaw(Unit(normalised));
  if (IsStepped(parameter)) v = std::floor(v / parameter.step + 0.5) * parameter.step;
  return parameter.Clamp(v);
}

// The largest value of a MIDI parameter: 14 bits for pitch bend, else 7.
double MidiRange(int controller) { return controller == kPitchBend ? 16383 : 127; }

// The panel's sections as units, nested as their paths are ("Oscillators/
// VCO 1" in "Oscillators"), after the root unit that holds the program list.
struct PanelUnit {
  UnitID id;
  UnitID parent;
  std::string name;
  std::string path;
};

const std::vector<PanelUnit>& PanelUnits() {
  static const std::vector<PanelUnit> units = [] {
    std::vector<PanelUnit> made{{kRootUnitId, kNoParentUnitId, "Kestrion", ""}};
    for (int index = 0; index < Kestrion::kParameterCount; ++index) {
      const std::string path = ParameterGroupOf(index);
      UnitID parent = kRootUnitId;
      for (std::size_t end = 0; end != std::string::npos && !path.empty();) {
        end = path.find('/', end + 1);
        const std::string prefix = path.substr(0, end);
        auto found = std::find_if(made.begin(), made.end(), [&](const PanelUnit& unit) { return unit.path == prefix; });
        if (found == made.end()) {
          const std::size_t slash = prefix.rfind('/');
          made.push_back({static_cast<UnitID>(made.size()), parent,
                          slash == std::string::npos ? prefix : prefix.substr(slash + 1), prefix});
          found = made.end() - 1;
        }
        parent = found->id;
      }
    }
    return made;
  }();
  return units;
}

UnitID UnitOf(int index) {
  const std::string path = ParameterGroupOf(index);
  for (const PanelUnit& unit : PanelUnits())
    if (unit.path == path) return unit.id;
  return kRootUnitId;
}

const char* MidiTitle(int controller, char* buffer, std::size_t size) {
  if (controller == kPitchBend) return "Pitch Bend";
  if (controller == kAfterTouch) return "Channel Pressure";
  std::snprintf(buffer, size, "MIDI Controller %d", controller);
  return buffer;
}

}  // namespace

// -- parameter information ----------------------------------------------------------------

tresult Vst3Plugin::getParameterInfo(int32 index, ParameterInfo& info) {
  if (index < 0 || index >= kParameterCount) return kInvalidArgument;
  info = {};
  info.unitId = kRootUnitId;
  if (index < Kestrion::kParameterCount) {
    const EffectParameter& parameter = *instrument_->Parameter(index);
    info.id = static_cast<ParamID>(index);
    CopyText(info.title, parameter.name);
    CopyText(info.shortTitle, parameter.name);
    CopyText(info.units, parameter.HasValueNames() ? "" : parameter.label);
    info.stepCount = StepCount(parameter);
    info.defaultNormalizedValue = parameter.ToNormalized(parameter.defaultValue);
    info.flags = ParameterInfo::kCanAutomate | (parameter.HasValueNames() ? ParameterInfo::kIsList : 0);
    info.unitId = UnitOf(index);
    return kResultOk;
  }
  if (index == Kestrion::kParameterCount) {
    info.id = kProgramParameter;
    CopyText(info.title, "Program");
    CopyText(info.shortTitle, "Program");
    info.stepCount = instrument_->PresetCount() - 1;
    info.flags = ParameterInfo::kIsProgramChange | ParameterInfo::kIsList;
    return kResultOk;
  }
  const int controller = index - Kestrion::kParameterCount - 1;
  char buffer[32];
  info.id = kFirstMidiParameter + static_cast<ParamID>(controller);
  CopyText(info.title, MidiTitle(controller, buffer, sizeof buffer));
  CopyText(info.shortTitle, MidiTitle(controller, buffer, sizeof buffer));
  info.defaultNormalizedValue = controller == kPitchBend ? 0.5 : 0;
  info.flags = ParameterInfo::kCanAutomate | ParameterInfo::kIsHidden;
  return kResultOk;
}

// -- values ----------------------------------------------------------------------------------

double Vst3Plugin::NormalisedOf(ParamID id) const {
  if (const EffectParameter* parameter = instrument_->Parameter(static_cast<int>(id))) return parameter->ToNormalized();
  if (id == kProgramParameter) return plainParamToNormalizedConst(id, instrument_->CurrentPreset());
  if (id >= kFirstMidiParameter && id < kFirstMidiParameter + kMidiParameterCount)
    return midiValues_[id - kFirstMidiParameter].load(std::memory_order_relaxed);
  return 0;
}

ParamValue Vst3Plugin::getParamNormalized(ParamID id) { return NormalisedOf(id); }

ParamValue Vst3Plugin::normalizedParamToPlain(ParamID id, ParamValue normalised) {
  if (const EffectParameter* parameter = instrument_->Parameter(static_cast<int>(id)))
    return PlainOf(*parameter, normalised);
  if (id == kProgramParameter) return std::floor(Unit(normalised) * (instrument_->PresetCount() - 1) + 0.5);
  if (id >= kFirstMidiParameter && id < kFirstMidiParameter + kMidiParameterCount)
    return std::floor(Unit(normalised) * MidiRange(static_cast<int>(id - kFirstMidiParameter)) + 0.5);
  return 0;
}

ParamValue Vst3Plugin::plainParamToNormalized(ParamID id, ParamValue plain) {
  return plainParamToNormalizedConst(id, plain);
}

double Vst3Plugin::plainParamToNormalizedConst(ParamID id, double plain) const {
  if (!(plain == plain)) return 0;
  if (const EffectParameter* parameter = instrument_->Parameter(static_cast<int>(id)))
    return parameter->ToNormalized(plain);
  double range = 0;
  if (id == kProgramParameter) range = instrument_->PresetCount() - 1;
  if (id >= kFirstMidiParameter && id < kFirstMidiParameter + kMidiParameterCount)
    range = MidiRange(static_cast<int>(id - kFirstMidiParameter));
  return range > 0 ? Unit(plain / range) : 0;
}

// The host's value on its UI thread: the instrument takes it as VST 2.4's
// setParameter; the program parameter selects a program as the host's
// preset menu does, keeping the edits of the program left.
tresult Vst3Plugin::setParamNormalized(ParamID id, ParamValue normalised) {
  if (instrument_->Parameter(static_cast<int>(id))) {
    ApplyHostValue(static_cast<int>(id), normalised);
    return kResultOk;
  }
  if (id == kProgramParameter) {
    const int program = static_cast<int>(normalizedParamToPlain(id, normalised));
    if (program == instrument_->CurrentPreset()) return kResultOk;
    // The host chose it and may hold a lock of its own around this call
    // that its handler takes too: nothing is sent back now; the next block
    // reports every new value as an output point.
    hostSelecting_ = true;
    instrument_->SelectProgram(program);
    hostSelecting_ = false;
    reportPending_.store(true, std::memory_order_release);
    return kResultOk;
  }
  if (id >= kFirstMidiParameter && id < kFirstMidiParameter + kMidiParameterCount) {
    midiValues_[id - kFirstMidiParameter].store(static_cast<float>(Unit(normalised)), std::memory_order_relaxed);
    return kResultOk;
  }
  return kInvalidArgument;
}

void Vst3Plugin::ApplyHostValue(int index, double normalised) {
  EffectParameter* parameter = instrument_->Parameter(index);
  if (!parameter) return;
  normalised = Unit(normalised);
  instrument_->ShowOnEditor(index, normalised, true);
  parameter->SetFromNormalized(normalised);
  instrument_->ParameterChanged(index);
  instrument_->ParameterEditedByHost(index);
}

// -- texts -------------------------------------------------------------------------------------

tresult Vst3Plugin::getParamStringByValue(ParamID id, ParamValue normalised, String128 text) {
  if (!text) return kInvalidArgument;
  char buffer[kNameLength] = "";
  if (const EffectParameter* parameter = instrument_->Parameter(static_cast<int>(id))) {
    parameter->FormatValue(PlainOf(*parameter, normalised), false, buffer, true);
  } else if (id == kProgramParameter) {
    const int program = static_cast<int>(normalizedParamToPlain(id, normalised));
    std::snprintf(buffer, sizeof buffer, "%s", instrument_->PresetName(program));
  } else if (id >= kFirstMidiParameter && id < kFirstMidiParameter + kMidiParameterCount) {
    std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(normalizedParamToPlain(id, normalised)));
  } else {
    return kInvalidArgument;
  }
  CopyText(text, buffer);
  return kResultOk;
}

// What a host's text entry reads as the other formats do: a value name, or
// a number in the parameter's own units (a following unit is ignored); for
// the program, a program's name.
tresult Vst3Plugin::getParamValueByString(ParamID id, TChar* text, ParamValue& normalised) {
  if (!text) return kInvalidArgument;
  const std::string typed = Utf8Of(text);
  if (const EffectParameter* parameter = instrument_->Parameter(static_cast<int>(id))) {
    double v;
    if (parameter->HasValueNames()) {
      int named;
      if (!parameter->FindValueName(typed.c_str(), &named)) return kResultFalse;
      v = named;
    } else {
      bool found;
      v = ParseLeadingNumber(typed.c_str(), &found);
      if (!found || !(v == v)) return kResultFalse;
    }
    normalised = parameter->ToNormalized(v);
    return kResultOk;
  }
  if (id == kProgramParameter) {
    for (int program = 0; program < instrument_->PresetCount(); ++program)
      if (typed == instrument_->PresetName(program)) {
        normalised = plainParamToNormalizedConst(id, program);
        return kResultOk;
      }
    return kResultFalse;
  }
  if (id >= kFirstMidiParameter && id < kFirstMidiParameter + kMidiParameterCount) {
    bool found;
    const double v = ParseLeadingNumber(typed.c_str(), &found);
    if (!found || !(v == v)) return kResultFalse;
    normalised = plainParamToNormalizedConst(id, v);
    return kResultOk;
  }
  return kInvalidArgument;
}

// -- the program list ------------------------------------------------------------------------------

int32 Vst3Plugin::getUnitCount() { return static_cast<int32>(PanelUnits().size()); }

tresult Vst3Plugin::getUnitInfo(int32 index, UnitInfo& info) {
  if (index < 0 || index >= getUnitCount()) return kInvalidArgument;
  const PanelUnit& unit = PanelUnits()[static_cast<std::size_t>(index)];
  info = {};
  info.id = unit.id;
  info.parentUnitId = unit.parent;
  CopyText(info.name, unit.name.c_str());
  info.programListId = unit.id == kRootUnitId ? kProgramListId : kNoProgramListId;
  return kResultOk;
}

tresult Vst3Plugin::getProgramListInfo(int32 index, ProgramListInfo& info) {
  if (index != 0) return kInvalidArgument;
  info = {};
  info.id = kProgramListId;
  CopyText(info.name, "Programs");
  info.programCount = instrument_->PresetCount();
  return kResultOk;
}

tresult Vst3Plugin::getProgramName(ProgramListID list, int32 program, String128 name) {
  if (list != kProgramListId || program < 0 || program >= instrument_->PresetCount() || !name) return kInvalidArgument;
  CopyText(name, instrument_->ProgramName(program).c_str());
  return kResultOk;
}

tresult Vst3Plugin::getProgramInfo(ProgramListID /*list*/, int32 /*program*/, const char8* /*attribute*/,
                                   String128 /*value*/) {
  return kResultFalse;
}

tresult Vst3Plugin::hasProgramPitchNames(ProgramListID /*list*/, int32 /*program*/) { return kResultFalse; }

tresult Vst3Plugin::getProgramPitchName(ProgramListID /*list*/, int32 /*program*/, int16 /*pitch*/,
                                        String128 /*name*/) {
  return kResultFalse;
}

tresult Vst3Plugin::selectUnit(UnitID unit) { return unit >= 0 && unit < getUnitCount() ? kResultOk : kResultFalse; }

tresult Vst3Plugin::getUnitByBus(MediaType /*type*/, BusDirection /*direction*/, int32 /*bus*/, int32 /*channel*/,
                                 UnitID& unit) {
  unit = kRootUnitId;
  return kResultOk;
}

tresult Vst3Plugin::setUnitProgramData(int32 /*listOrUnit*/, int32 /*program*/, IBStream* /*data*/) {
  return kNotImplemented;
}

// -- MIDI mapping -------------------------------------------------------------------------------------

// The instrument answers every channel alike, so every channel maps to the
// same parameters.
tresult Vst3Plugin::getMidiControllerAssignment(int32 bus, int16 channel, CtrlNumber controller, ParamID& id) {
  if (bus != 0 || channel < 0 || channel > 15 || controller < 0 || controller >= kMidiParameterCount)
    return kResultFalse;
  id = kFirstMidiParameter + static_cast<ParamID>(controller);
  return kResultTrue;
}
