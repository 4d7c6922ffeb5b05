#include "core/EffectBase.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/EditorView.h"

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

  // Tokens "inputs-outputs" separated by single spaces; an unreadable token
  // counts as no channels.
  int inputCount = 0, outputCount = 0;
  const char* text = identity.channelConfiguration ? identity.channelConfiguration : "";
  while (*text) {
    ChannelConfiguration pair{0, 0};
    if (std::sscanf(text, "%d-%d", &pair.inputs, &pair.outputs) != 2) pair = {0, 0};
    configurations_.push_back(pair);
    if (pair.inputs > inputCount) inputCount = pair.inputs;
    if (pair.outputs > outputCount) outputCount = pair.outputs;
    const char* space = std::strchr(text, ' ');
    if (!space) break;
    text = space + 1;
  }

  inputPointers_.assign(static_cast<size_t>(inputCount), nullptr);
  outputPointers_.assign(static_cast<size_t>(outputCount), nullptr);
  inputs_.resize(static_cast<size_t>(inputCount));
  outputs_.resize(static_cast<size_t>(outputCount));
  for (int i = 0; i < inputCount; ++i) inputs_[static_cast<size_t>(i)].slot = &inputPointers_[static_cast<size_t>(i)];
  for (int i = 0; i < outputCount; ++i) outputs_[static_cast<size_t>(i)].slot = &outputPointers_[static_cast<size_t>(i)];
}

IEffectBase::~IEffectBase() = default;

void IEffectBase::RenderBlock(double** inputs, double** outputs, int frames) {
  if (frames <= 0) return;
  int through = InputCount() < OutputCount() ? InputCount() : OutputCount();
  for (int c = 0; c < OutputCount(); ++c) {
    double* out = outputs[c];
    if (c < through)
      std::memmove(out, inputs[c], sizeof(double) * static_cast<size_t>(frames));
    else
      std::memset(out, 0, sizeof(double) * static_cast<size_t>(frames));
  }
}

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
  if (!editor) return;
  Lock lock(mutex_);
  std::vector<double> normalised(parameters_.size());
  for (size_t i = 0; i < parameters_.size(); ++i) normalised[i] = parameters_[i].ToNormalized();
  editor->AttachToPlugin(normalised.data(), ParameterCount());
  editor_.reset(editor);
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

void IEffectBase::ChangeBlockSize(int frames) {
  if (frames == blockSize_) return;
  for (IChannel& channel : inputs_) channel.scratch.assign(static_cast<size_t>(frames), 0.0);
  for (IChannel& channel : outputs_) channel.scratch.assign(static_cast<size_t>(frames), 0.0);
  // Unconnected channels render into their scratch: keep them pointing at
  // the new storage.
  for (IChannel& channel : inputs_)
    if (!channel.connected) *channel.slot = channel.scratch.data();
  for (IChannel& channel : outputs_)
    if (!channel.connected) *channel.slot = channel.scratch.data();
  blockSize_ = frames;
}

bool IEffectBase::LegalIO(int inputs, int outputs) const {
  for (const ChannelConfiguration& c : configurations_)
    if ((inputs == -1 || c.inputs == inputs) && (outputs == -1 || c.outputs == outputs)) return true;
  return false;
}

void IEffectBase::RestrictToStereo() {
  for (int i = 2; i < InputCount(); ++i) {
    IChannel& channel = inputs_[static_cast<size_t>(i)];
    channel.connected = false;
    *channel.slot = channel.scratch.data();
  }
  if (OutputCount() > 2)
    for (int i = 2; i < OutputCount(); ++i) outputs_[static_cast<size_t>(i)].connected = true;
}

int IEffectBase::VersionDecimal() const {
  std::uint32_t v = versionWord_;
  return static_cast<int>(((v >> 16) * 100 + ((v >> 8) & 0xFF)) * 100 + (v & 0xFF));
}
