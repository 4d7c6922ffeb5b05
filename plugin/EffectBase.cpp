#include "plugin/EffectBase.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

EffectBase::EffectBase(const EffectIdentity& identity)
    : uniqueId_(identity.uniqueId),
      makerCode_(identity.makerCode),
      versionWord_(identity.versionWord),
      usesChunks_(identity.usesChunks),
      isInstrument_(identity.isInstrument),
      handlesMidi_(identity.handlesMidi),
      latency_(identity.latency),
      parameters_(static_cast<size_t>(identity.parameterCount > 0 ? identity.parameterCount : 0)),
      editorMailbox_(identity.parameterCount),
      presets_(static_cast<size_t>(identity.presetCount > 0 ? identity.presetCount : 0)) {
  CopyText(effectName_, identity.effectName);
  CopyText(productName_, identity.productName);
  CopyText(makerName_, identity.makerName);
  if (ParameterCount() > kChangedWords * 64) throw std::length_error("more parameters than change bits");
  // Room for a program record in every slot, so that a program change the
  // audio thread makes into an empty slot writes it without allocating.
  for (PresetSlot& slot : presets_) {
    slot.state.Resize(1);
    slot.state.Clear();
  }
}

EffectBase::~EffectBase() = default;

// -- locks, the engine and the host's calls -----------------------------------

// A thread that holds the mutex already only counts: the audio thread,
// holding it through TryLock, must make no blocking call at all.
EffectBase::Lock::Lock(EffectBase& base) : base_(base) {
  if (base_.HoldsMutex()) {
    ++base_.mutexDepth_;
    return;
  }
  base_.mutex_.lock();
  base_.TakeMutexOwnership();
}

EffectBase::Lock::~Lock() {
  if (--base_.mutexDepth_ > 0) return;
  HostCall calls[kOutboxCapacity];
  const int count = TakeCalls(base_.mutexOutbox_, base_.mutexOutboxCount_, calls);
  base_.mutexOwner_.store(std::thread::id(), std::memory_order_release);
  base_.mutex_.unlock();
  base_.UpdateEngineIfIdle();
  for (int i = 0; i < count; ++i) base_.SendToHost(calls[i]);
}

EffectBase::TryLock::TryLock(EffectBase& base) : base_(base), owns_(base.HoldsMutex()) {
  if (owns_) {
    ++base_.mutexDepth_;
    return;
  }
  owns_ = base_.mutex_.try_lock();
  if (owns_) base_.TakeMutexOwnership();
}

// Whoever holds the engine meanwhile keeps the host calls in its own outbox
// and brings the engine up to date itself.
EffectBase::TryLock::~TryLock() {
  if (!owns_ || --base_.mutexDepth_ > 0) return;
  base_.mutexOwner_.store(std::thread::id(), std::memory_order_release);
  base_.mutex_.unlock();
}

EffectBase::EngineHold::EngineHold(EffectBase& base) : base_(base), took_(!base.HoldsEngine()) {
  if (!took_) return;
  // The audio thread holds it for one block at most, and makes no call
  // that could wait for this thread meanwhile.
  while (base_.engineHeld_.exchange(true, std::memory_order_acquire)) std::this_thread::yield();
  base_.engineOwner_.store(std::this_thread::get_id(), std::memory_order_release);
}

EffectBase::EngineHold::~EngineHold() {
  if (took_) base_.ReleaseEngine();
}

bool EffectBase::TryHoldEngine() {
  if (engineHeld_.exchange(true, std::memory_order_acquire)) return false;
  engineOwner_.store(std::this_thread::get_id(), std::memory_order_release);
  return true;
}

void EffectBase::TakeMutexOwnership() {
  mutexDepth_ = 1;
  mutexOwner_.store(std::this_thread::get_id(), std::memory_order_release);
}

int EffectBase::TakeCalls(HostCall (&outbox)[kOutboxCapacity], int& count, HostCall (&calls)[kOutboxCapacity]) {
  const int taken = count;
  std::copy(outbox, outbox + taken, calls);
  count = 0;
  return taken;
}

void EffectBase::ReleaseEngine() {
  HostCall calls[kOutboxCapacity];
  const int count = TakeCalls(engineOutbox_, engineOutboxCount_, calls);
  engineOwner_.store(std::thread::id(), std::memory_order_release);
  engineHeld_.store(false, std::memory_order_release);
  for (int i = 0; i < count; ++i) CallHost(calls[i]);
}

EffectBase::BulkEdit::BulkEdit(EffectBase& base) : base_(base) {
  if (base_.bulkDepth_++ == 0) base_.restoreSequence_.fetch_add(1, std::memory_order_acq_rel);
}

EffectBase::BulkEdit::~BulkEdit() {
  if (--base_.bulkDepth_ == 0) base_.restoreSequence_.fetch_add(1, std::memory_order_release);
}

void EffectBase::CallHost(const HostCall& call) {
  // Room for every parameter's edit three times over and more; beyond that
  // a burst of calls is cut rather than the lock held longer.
  if (HoldsEngine()) {
    if (engineOutboxCount_ < kOutboxCapacity) engineOutbox_[engineOutboxCount_++] = call;
  } else if (HoldsMutex()) {
    if (mutexOutboxCount_ < kOutboxCapacity) mutexOutbox_[mutexOutboxCount_++] = call;
  } else {
    SendToHost(call);
  }
}

void EffectBase::MarkChanged(int index) {
  if (index < 0 || index >= ParameterCount()) return;
  changed_[index / 64].fetch_or(std::uint64_t(1) << (index % 64), std::memory_order_release);
}

void EffectBase::ParameterChanged(int index) {
  MarkChanged(index);
  if (!HoldsMutex() && !HoldsEngine()) UpdateEngineIfIdle();
}

void EffectBase::UpdateEngineIfIdle() {
  if (Processing()) return;
  EngineHold hold(*this);
  ApplyChangedParameters();
}

void EffectBase::ApplyChangedParameters() {
  const unsigned before = restoreSequence_.load(std::memory_order_acquire);
  if (before & 1) return;  // a restore is half written: keep the state the engine has
  std::uint64_t taken[kChangedWords];
  bool any = false;
  for (int w = 0; w < kChangedWords; ++w) {
    taken[w] = changed_[w].exchange(0, std::memory_order_acq_rel);
    any = any || taken[w] != 0;
  }
  if (!any) return;
  double values[kChangedWords * 64];
  for (int i = 0; i < ParameterCount(); ++i)
    if (taken[i / 64] >> (i % 64) & 1) values[i] = parameters_[static_cast<size_t>(i)].value;
  // The values were loaded with acquire, so this load is not made before them.
  if (restoreSequence_.load(std::memory_order_relaxed) != before) {
    // A restore began while the values were read: they wait for the next block.
    for (int w = 0; w < kChangedWords; ++w) changed_[w].fetch_or(taken[w], std::memory_order_relaxed);
    return;
  }
  // The values read under the sequence count are the ones the engine takes;
  // a single edit since then has set its bit again. A value the engine
  // itself sets on the way (a reaction to an earlier parameter) stands.
  for (std::uint64_t& word : setByEngine_) word = 0;
  for (int i = 0; i < ParameterCount(); ++i)
    if ((taken[i / 64] & ~setByEngine_[i / 64]) >> (i % 64) & 1) ApplyParameterToEngine(i, values[i]);
}

void EffectBase::ActivationChanged(bool active) {
  SetProcessing(active);
  if (active) NotifyAllParameters();
}

EffectParameter* EffectBase::Parameter(int index) {
  if (index < 0 || index >= ParameterCount()) return nullptr;
  return &parameters_[static_cast<size_t>(index)];
}

const EffectParameter* EffectBase::Parameter(int index) const {
  if (index < 0 || index >= ParameterCount()) return nullptr;
  return &parameters_[static_cast<size_t>(index)];
}

void EffectBase::SetParameterFromEditor(int index, double normalised) {
  EffectParameter* parameter = Parameter(index);
  if (!parameter) return;
  parameter->SetFromNormalized(normalised);
  NotifyHostOfParameter(index, normalised);
  ParameterChanged(index);
}

void EffectBase::NotifyHostOfAllParameters() {
  Lock lock(*this);
  for (int i = 0; i < ParameterCount(); ++i)
    NotifyHostOfParameter(i, parameters_[static_cast<size_t>(i)].ToNormalized());
}

void EffectBase::NotifyAllParameters() {
  for (int i = 0; i < ParameterCount(); ++i) ParameterChanged(i);
}

void EffectBase::RefreshParameterControls() {
  for (int i = 0; i < ParameterCount(); ++i) ShowOnEditor(i, parameters_[static_cast<size_t>(i)].value, false);
}

void EffectBase::ShowOnEditor(int index, double value, bool normalised) {
  if (!normalised) {
    // Converted here: a parameter's range and shape never change once
    // defined, so this reads nothing another thread writes.
    const EffectParameter* parameter = Parameter(index);
    if (!parameter) return;
    value = parameter->ToNormalized(value);
  }
  editorMailbox_.Post(index, value);
}

bool EffectBase::SerializeParams(StateBuffer& buffer) {
  Lock lock(*this);
  for (const EffectParameter& parameter : parameters_) {
    int before = buffer.Size();
    if (buffer.AppendDouble(parameter.value) == before) return false;
  }
  return true;
}

int EffectBase::UnserializeParams(const StateBuffer& buffer, int position) {
  Lock lock(*this);
  BulkEdit bulk(*this);
  for (EffectParameter& parameter : parameters_) {
    if (position < 0) break;
    double v = 0;
    position = buffer.ReadDouble(position, &v);
    if (position < 0) v = 0;
    parameter.value = parameter.Clamp(v);
  }
  NotifyAllParameters();
  return position;
}

int EffectBase::MeasureParams(const StateBuffer& buffer, int position) const {
  for (int i = 0; i < ParameterCount() && position >= 0; ++i) {
    double v = 0;
    position = buffer.ReadDouble(position, &v);
    if (position >= 0 && !std::isfinite(v)) return -1;
  }
  return position;
}

int EffectBase::MeasureState(const StateBuffer& buffer, int position) const { return MeasureParams(buffer, position); }

const char* EffectBase::PresetName(int index) const {
  if (index < 0 || index >= PresetCount()) return "";
  return presets_[static_cast<size_t>(index)].name;
}

PresetSlot* EffectBase::Preset(int index) {
  if (index < 0 || index >= PresetCount()) return nullptr;
  return &presets_[static_cast<size_t>(index)];
}

bool EffectBase::SerializePresets(StateBuffer& buffer) {
  bool result = true;
  for (PresetSlot& slot : presets_) {
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

int EffectBase::UnserializePresets(const StateBuffer& buffer, int position) {
  char name[kPresetNameLength] = "";
  for (PresetSlot& slot : presets_) {
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
  ActivatePreset(CurrentPreset());
  return position;
}

int EffectBase::TranscribeState(const StateBuffer& buffer, int position, StateBuffer& out) {
  return TranscribeParams(buffer, position, out);
}

int EffectBase::TranscribeParams(const StateBuffer& buffer, int position, StateBuffer& out) const {
  for (const EffectParameter& parameter : parameters_) {
    double v = 0;
    position = buffer.ReadDouble(position, &v);
    if (position < 0) return -1;
    out.AppendDouble(parameter.Clamp(v));
  }
  return position;
}

int EffectBase::MeasurePresets(const StateBuffer& buffer, int position) const {
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

void EffectBase::ModifyCurrentPreset(const char* name) {
  PresetSlot* slot = Preset(CurrentPreset());
  if (!slot) return;
  slot->state.Clear();
  SerializeCurrentState(slot->state);
  if (name && name[0]) CopyText(slot->name, name);
  presetChanges_.fetch_add(1, std::memory_order_release);
}

bool EffectBase::ActivatePreset(int index) {
  PresetSlot* slot = Preset(index);
  if (!slot) return false;
  bool result;
  if (slot->initialised) {
    result = UnserializeState(slot->state, 0) > 0;
  } else {
    slot->initialised = true;
    int users = 0;
    for (const PresetSlot& other : presets_)
      if (std::strstr(other.name, "user preset")) ++users;
    std::snprintf(slot->name, sizeof slot->name, "%s %d", "user preset", users + 1);
    // A slot a bank marked empty may still hold an older record.
    slot->state.Clear();
    result = SerializeCurrentState(slot->state);
  }
  if (result) {
    currentPreset_.store(index, std::memory_order_relaxed);
    presetChanges_.fetch_add(1, std::memory_order_release);
    RefreshParameterControls();
  }
  return result;
}

void EffectBase::FillEmptyPresets(int count) {
  for (int pass = 0; pass < count; ++pass) {
    for (PresetSlot& slot : presets_) {
      if (slot.initialised) continue;
      slot.initialised = true;
      CopyText(slot.name, "Empty");
      presetChanges_.fetch_add(1, std::memory_order_release);
      SerializeCurrentState(slot.state);
      break;
    }
  }
}

int EffectBase::VersionDecimal() const {
  std::uint32_t v = versionWord_;
  return static_cast<int>(((v >> 16) * 100 + ((v >> 8) & 0xFF)) * 100 + (v & 0xFF));
}
