// The parameters extension: the 70 parameters with their index as a stable
// id, their group on the panel as the module path, their values and texts,
// and the parameter events of a flush.
#include <cmath>
#include <cstdio>

#include "clap/ClapPlugin.h"
#include "instrument/ParameterGroups.h"
#include "plugin/NumberText.h"

using namespace clap;

// -- values as the host sees them ----------------------------------------------

bool ClapPlugin::IsStepped(const EffectParameter& parameter) { return parameter.kind != EffectParameter::kContinuous; }

double ClapPlugin::HostValueOf(const EffectParameter& parameter, double value) {
  return IsStepped(parameter) ? parameter.Clamp(value) : parameter.ToNormalized(value);
}

// The host's value in real units, as the instrument takes it: continuous
// values through the parameter's curve, stepped ones truncated, as the
// interface says a host's stepped values are read.
double ClapPlugin::ValueOfHost(const EffectParameter& parameter, double hostValue) {
  if (!(hostValue == hostValue)) hostValue = 0;  // NaN
  if (IsStepped(parameter)) return parameter.Clamp(std::trunc(hostValue));
  if (hostValue > 1) hostValue = 1;
  if (!(hostValue > 0)) hostValue = 0;
  return parameter.Clamp(parameter.FromNormalizedRaw(hostValue));
}

// -- the extension's calls, on the main thread ----------------------------------

std::uint32_t ClapPlugin::ParamCount(const clap_plugin* plugin) {
  ClapPlugin* self = From(plugin);
  return self ? static_cast<std::uint32_t>(self->instrument_->ParameterCount()) : 0;
}

bool ClapPlugin::ParamInfo(const clap_plugin* plugin, std::uint32_t index, clap_param_info* info) {
  ClapPlugin* self = From(plugin);
  if (!self || !info) return false;
  const EffectParameter* parameter = self->instrument_->Parameter(static_cast<int>(index));
  if (!parameter) return false;
  *info = {};
  info->id = index;
  info->flags = CLAP_PARAM_IS_AUTOMATABLE;
  if (IsStepped(*parameter)) {
    info->flags |= CLAP_PARAM_IS_STEPPED;
    if (parameter->HasValueNames()) info->flags |= CLAP_PARAM_IS_ENUM;
    info->min_value = parameter->minimum;
    info->max_value = parameter->maximum;
  } else {
    info->min_value = 0;
    info->max_value = 1;
  }
  info->default_value = HostValueOf(*parameter, parameter->defaultValue);
  std::snprintf(info->name, sizeof info->name, "%s", parameter->name);
  std::snprintf(info->module, sizeof info->module, "%s", ParameterGroupOf(static_cast<int>(index)));
  return true;
}

bool ClapPlugin::ParamValue(const clap_plugin* plugin, clap_id id, double* value) {
  ClapPlugin* self = From(plugin);
  if (!self || !value) return false;
  const EffectParameter* parameter = self->instrument_->Parameter(static_cast<int>(id));
  if (!parameter) return false;
  *value = HostValueOf(*parameter, parameter->value);
  return true;
}

bool ClapPlugin::ParamValueToText(const clap_plugin* plugin, clap_id id, double value, char* out,
                                  std::uint32_t capacity) {
  ClapPlugin* self = From(plugin);
  if (!self || !out || capacity == 0) return false;
  const EffectParameter* parameter = self->instrument_->Parameter(static_cast<int>(id));
  if (!parameter) return false;
  char text[kNameLength] = "";
  parameter->FormatValue(ValueOfHost(*parameter, value), false, text, true);
  const char* label = parameter->HasValueNames() ? "" : parameter->label;
  std::snprintf(out, capacity, label[0] ? "%s %s" : "%s", text, label);
  return true;
}

// What a host's text entry reads as the other formats do: a value name, or
// a number in the parameter's own units (a following unit is ignored).
bool ClapPlugin::ParamTextToValue(const clap_plugin* plugin, clap_id id, const char* text, double* value) {
  ClapPlugin* self = From(plugin);
  if (!self || !text || !value) return false;
  const EffectParameter* parameter = self->instrument_->Parameter(static_cast<int>(id));
  if (!parameter) return false;
  double v;
  if (parameter->HasValueNames()) {
    int named;
    if (!parameter->FindValueName(text, &named)) return false;
    v = named;
  } else {
    bool found;
    v = ParseLeadingNumber(text, &found);
    if (!found || !(v == v)) return false;
  }
  *value = HostValueOf(*parameter, v);
  return true;
}

// -- events: the host's values in, the editor's edits out ---------------------------

void ClapPlugin::ApplyHostValue(clap_id id, double hostValue) {
  EffectParameter* parameter = instrument_->Parameter(static_cast<int>(id));
  if (!parameter) return;
  const int index = static_cast<int>(id);
  const double value = ValueOfHost(*parameter, hostValue);
  instrument_->ShowOnEditor(index, value, false);
  parameter->value = value;
  instrument_->ParameterChanged(index);
  instrument_->ParameterEditedByHost(index);
}

void ClapPlugin::PushEdit(const Edit& edit, const clap_output_events* out, std::uint32_t flags) {
  if (!out || !out->try_push) return;
  if (edit.type == CLAP_EVENT_PARAM_VALUE) {
    clap_event_param_value event{};
    event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, flags};
    event.param_id = edit.index;
    event.note_id = -1;
    event.port_index = event.channel = event.key = -1;
    event.value = edit.value;
    out->try_push(out, &event.header);
  } else {
    clap_event_param_gesture event{};
    event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, edit.type, flags};
    event.param_id = edit.index;
    out->try_push(out, &event.header);
  }
}

void ClapPlugin::SendEdits(const clap_output_events* out) {
  edits_.Drain([out](const Edit& edit) { PushEdit(edit, out, 0); });
}

// Parameter changes while no audio runs (or between blocks): values the
// host sends are taken, the editor's edits are handed out.
void ClapPlugin::ParamFlush(const clap_plugin* plugin, const clap_input_events* in, const clap_output_events* out) {
  ClapPlugin* self = From(plugin);
  if (!self) return;
  if (in && in->size && in->get) {
    const std::uint32_t count = in->size(in);
    for (std::uint32_t i = 0; i < count; ++i) {
      const clap_event_header* header = in->get(in, i);
      if (!header || header->space_id != CLAP_CORE_EVENT_SPACE_ID || header->type != CLAP_EVENT_PARAM_VALUE ||
          header->size < sizeof(clap_event_param_value))
        continue;
      const auto* event = reinterpret_cast<const clap_event_param_value*>(header);
      self->ApplyHostValue(event->param_id, event->value);
    }
  }
  self->SendEdits(out);
}
