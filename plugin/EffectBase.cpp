#include "plugin/EffectBase.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "plugin/EditorView.h"

IEffectBase::IEffectBase(const IEffectIdentity& identity)
    : uniqueId_(identity.uniqueId),
      makerCode_(identity.makerCode),
      versionWord_(identity.versionWord),
      usesChunks_(identity.usesChunks),
      isInstrument_(identity.isInstrument),
      handlesMidi_(identity.handlesMidi),
      latency_(identity.latency),
      parameters_(static_cast<size_t>(identity.parameterCount > 0 ? identity.parameterCount : 0)),
      presets_(static_cast<size_t>(identity.presetCount > 0 ? identity.presetCount : 0)) {
  CopyText(effectName_, identity.effectName);
  CopyText(productName_, identity.productName);
  CopyText(makerName_, identity.makerName);
}

IEffectBase::~IEffectBase() = default;

bool IEffectBase::MidiKeyName(int note, char* text) {
  if (text) text[0] = 0;
  return false;
}

IEffectParameter* IEffectBase::Parameter(int index) {
  if (index < 0 || index >= ParameterCount()) return nullptr;
  return &parameters_[static_cast<size_t>(index)];
}

const IEffectParameter* IEffectBase::Parameter(int index) const {
  if (index < 0 || index >= ParameterCount()) return nullptr;
  return &parameters_[static_cast<size_t>(index)];
}

void IEffectBase::SetParameterFromEditor(int index, double normalised) {
  Lock lock(mutex_);
  IEffectParameter* parameter = Parameter(index);
  if (!parameter) return;
  parameter->SetFromNormalized(normalised);
  NotifyHostOfParameter(index, normalised);
  ParameterChanged(index);
}

void IEffectBase::NotifyHostOfAllParameters() {
  Lock lock(mutex_);
  for (int i = 0; i < ParameterCount(); ++i)
    NotifyHostOfParameter(i, parameters_[static_cast<size_t>(i)].ToNormalized());
}

void IEffectBase::NotifyAllParameters() {
  for (int i = 0; i < ParameterCount(); ++i) ParameterChanged(i);
}

void IEffectBase::RefreshParameterControls() {
  if (!editor_) return;
  for (int i = 0; i < ParameterCount(); ++i)
    editor_->ShowParameterValue(i, parameters_[static_cast<size_t>(i)].value, false);
}

void IEffectBase::AttachEditor(IEditorView* editor) {
  Lock lock(mutex_);
  if (editor) {
    std::vector<double> normalised(parameters_.size());
    for (size_t i = 0; i < parameters_.size(); ++i) normalised[i] = parameters_[i].ToNormalized();
    editor->AttachToPlugin(normalised.data(), ParameterCount());
  }
  editor_ = editor;
}

bool IEffectBase::SerializeParams(IStateBuffer& buffer) {
  Lock lock(mutex_);
  for (const IEffectParameter& parameter : parameters_) {
    int before = buffer.Size();
    if (buffer.AppendDouble(parameter.value) == before) return false;
  }
  return true;
}

int IEffectBase::UnserializeParams(const IStateBuffer& buffer, int position) {
  Lock lock(mutex_);
  for (IEffectParameter& parameter : parameters_) {
    if (position < 0) break;
    double v = 0;
    position = buffer.ReadDouble(position, &v);
    if (position < 0) v = 0;
    parameter.value = parameter.Clamp(v);
  }
  NotifyAllParameters();
  return position;
}

int IEffectBase::MeasureParams(const IStateBuffer& buffer, int position) const {
  for (int i = 0; i < ParameterCount() && position >= 0; ++i) {
    double v = 0;
    position = buffer.ReadDouble(position, &v);
    if (position >= 0 && !std::isfinite(v)) return -1;
  }
  return position;
}

int IEffectBase::MeasureState(const IStateBuffer& buffer, int position) const {
  return MeasureParams(buffer, position);
}

const char* IEffectBase::PresetName(int index) const {
  if (index < 0 || index >= PresetCount()) return "";
  return presets_[static_cast<size_t>(index)].name;
}

IPresetSlot* IEffectBase::Preset(int index) {
  if (index < 0 || index >= PresetCount()) return nullptr;
  return &presets_[static_cast<size_t>(index)];
}

bool IEffectBase::SerializePresets(IStateBuffer& buffer) {
  bool result = true;
  for (IPresetSlot& slot : presets_) {
    if (!result) break;
    buffer.AppendString(slot.name);
    buffer.AppendByte(slot.initialised ? 1 : 0);
    if (slot.initialised) {
      buffer.AppendBytes(slot.state.Data(), slot.state.Size());
      result = result && buffer.Size() > 0;
    }
  }
  return result;
}

int IEffectBase::UnserializePresets(const IStateBuffer& buffer, int position) {
  char name[kPresetNameLength] = "";
  for (IPresetSlot& slot : presets_) {
    if (position < 0) break;
    position = buffer.ReadString(position, name, sizeof name);
    CopyText(slot.name, name);
    presetChanges_.fetch_add(1, std::memory_order_release);
    std::uint8_t flag = 0;
    position = buffer.ReadByte(position, &flag);
    if (position < 0) break;
    slot.initialised = flag != 0;
    if (slot.initialised) {
      slot.state.Clear();
      position = TranscribeState(buffer, position, slot.state);
    }
  }
  ActivatePreset(currentPreset_);
  return position;
}

int IEffectBase::TranscribeState(const IStateBuffer& buffer, int position, IStateBuffer& out) {
  return TranscribeParams(buffer, position, out);
}

int IEffectBase::TranscribeParams(const IStateBuffer& buffer, int position, IStateBuffer& out) const {
  for (const IEffectParameter& parameter : parameters_) {
    double v = 0;
    position = buffer.ReadDouble(position, &v);
    if (position < 0) return -1;
    out.AppendDouble(parameter.Clamp(v));
  }
  return position;
}

int IEffectBase::MeasurePresets(const IStateBuffer& buffer, int position) const {
  char name[kPresetNameLength];
  for (int i = 0; i < PresetCount() && position >= 0; ++i) {
    position = buffer.ReadString(position, name, sizeof name);
    if (position > buffer.Size()) return -1;  // the name runs past the data
    std::uint8_t flag = 0;
    position = buffer.ReadByte(position, &flag);
    if (position >= 0 && flag) position = MeasureState(buffer, position);
  }
  return position;
}

void IEffectBase::ModifyCurrentPreset(const char* name) {
  IPresetSlot* slot = Preset(currentPreset_);
  if (!slot) return;
  slot->state.Clear();
  SerializeCurrentState(slot->state);
  if (name && name[0]) CopyText(slot->name, name);
  presetChanges_.fetch_add(1, std::memory_order_release);
}

bool IEffectBase::ActivatePreset(int index) {
  IPresetSlot* slot = Preset(index);
  if (!slot) return false;
  bool result;
  if (slot->initialised) {
    result = UnserializeState(slot->state, 0) > 0;
  } else {
    slot->initialised = true;
    int users = 0;
    for (const IPresetSlot& other : presets_)
      if (std::strstr(other.name, "user preset")) ++users;
    std::snprintf(slot->name, sizeof slot->name, "%s %d", "user preset", users + 1);
    // A slot a bank marked empty may still hold an older record.
    slot->state.Clear();
    result = SerializeCurrentState(slot->state);
  }
  if (result) {
    currentPreset_ = index;
    presetChanges_.fetch_add(1, std::memory_order_release);
    PresetListChanged();
    RefreshParameterControls();
  }
  return result;
}

void IEffectBase::FillEmptyPresets(int count) {
  for (int pass = 0; pass < count; ++pass) {
    for (IPresetSlot& slot : presets_) {
      if (slot.initialised) continue;
      slot.initialised = true;
      CopyText(slot.name, "Empty");
      presetChanges_.fetch_add(1, std::memory_order_release);
      SerializeCurrentState(slot.state);
      break;
    }
  }
}

int IEffectBase::VersionDecimal() const {
  std::uint32_t v = versionWord_;
  return static_cast<int>(((v >> 16) * 100 + ((v >> 8) & 0xFF)) * 100 + (v & 0xFF));
}
