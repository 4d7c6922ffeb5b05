// The plug-in record around a new instrument, its lifecycle, its ports and
// the requests the instrument sends to the host. Parameters, state and the
// audio path have their own files (ClapParams.cpp, ClapState.cpp,
// ClapProcess.cpp).
#include "clap/ClapPlugin.h"

#include <cstdio>
#include <cstring>
#include <mutex>

using namespace clap;

namespace {

const char* const kFeatures[] = {"instrument", "synthesizer", "stereo", nullptr};

// Copies `text` into a fixed field of the interface, always terminated.
void CopyField(char* field, std::size_t size, const char* text) { std::snprintf(field, size, "%s", text); }

}  // namespace

const clap_plugin_descriptor ClapPlugin::kDescriptor = {
    CLAP_VERSION,
    KESTRION_CLAP_ID,
    "Kestrion",
    "Harrowvale Music",
    KESTRION_MAKER_WEB_PAGE,
    "",
    KESTRION_MAKER_WEB_PAGE,
    KESTRION_VERSION_TEXT,
    "Analogue-style monophonic and paraphonic synthesizer",
    kFeatures,
};

ClapPlugin::ClapPlugin(const clap_host* host, EditorFactory makeEditor)
    : host_(host), makeEditor_(makeEditor), stateBuffer_(StateBuffer::kGranularity) {
  plugin_.desc = &kDescriptor;
  plugin_.plugin_data = this;
  plugin_.init = &Init;
  plugin_.destroy = &Destroy;
  plugin_.activate = &Activate;
  plugin_.deactivate = &Deactivate;
  plugin_.start_processing = &StartProcessing;
  plugin_.stop_processing = &StopProcessing;
  plugin_.reset = &Reset;
  plugin_.process = &Process;
  plugin_.get_extension = &GetExtension;
  plugin_.on_main_thread = &OnMainThread;
  // Loading the startup bank tells the host nothing here: edits made before
  // init reach no host, and the host reads every value after it anyway.
  instrument_ = std::make_unique<Kestrion>(*this);
  instrument_->FillEmptyPresets(instrument_->PresetCount());
}

// The editor goes first: its controls point at the instrument.
ClapPlugin::~ClapPlugin() {
  StopIdleRequests();
  editor_.reset();
  instrument_.reset();
}

// -- the plug-in record ----------------------------------------------------------

bool ClapPlugin::Init(const clap_plugin* plugin) {
  ClapPlugin* self = From(plugin);
  if (!self) return false;
  self->hostParams_ = self->HostExtension<clap_host_params>(CLAP_EXT_PARAMS);
  self->hostState_ = self->HostExtension<clap_host_state>(CLAP_EXT_STATE);
  // A host extension missing a call is treated as missing.
  if (self->hostParams_ && (!self->hostParams_->rescan || !self->hostParams_->request_flush))
    self->hostParams_ = nullptr;
  if (self->hostState_ && !self->hostState_->mark_dirty) self->hostState_ = nullptr;
  self->hostTimer_ = self->HostExtension<clap_host_timer_support>(CLAP_EXT_TIMER_SUPPORT);
  if (self->hostTimer_ && (!self->hostTimer_->register_timer || !self->hostTimer_->unregister_timer))
    self->hostTimer_ = nullptr;
  self->hostGui_ = self->HostExtension<clap_host_gui>(CLAP_EXT_GUI);
  if (self->hostGui_ && !self->hostGui_->request_resize) self->hostGui_ = nullptr;
  self->hostDescriptors_ = self->HostExtension<clap_host_posix_fd_support>(CLAP_EXT_POSIX_FD_SUPPORT);
  if (self->hostDescriptors_ && (!self->hostDescriptors_->register_fd || !self->hostDescriptors_->unregister_fd))
    self->hostDescriptors_ = nullptr;
  return true;
}

void ClapPlugin::Destroy(const clap_plugin* plugin) {
  ClapPlugin* self = From(plugin);
  if (!self) return;
  self->CloseEditorWindow();
  // The mutex belongs to the instrument: it must be free before it goes.
  { EffectBase::Lock lock(*self->instrument_); }
  delete self;
}

bool ClapPlugin::Activate(const clap_plugin* plugin, double rate, std::uint32_t /*minFrames*/,
                          std::uint32_t maxFrames) {
  ClapPlugin* self = From(plugin);
  if (!self || self->active_ || !(rate > 0) || maxFrames == 0) return false;
  const std::uint32_t frames = maxFrames < kMaxBlockSize ? maxFrames : kMaxBlockSize;
  try {
    for (std::vector<double>& channel : self->scratch_) channel.assign(frames, 0.0);
  } catch (...) {
    return false;
  }
  Kestrion& instrument = *self->instrument_;
  {
    EffectBase::Lock lock(instrument);
    instrument.ChangeSampleRate(rate);
    instrument.ChangeBlockSize(static_cast<int>(frames));
    instrument.ResetProcessing();
    instrument.ActivationChanged(true);
  }
  self->maxFrames_ = frames;
  self->active_ = true;
  return true;
}

void ClapPlugin::Deactivate(const clap_plugin* plugin) {
  ClapPlugin* self = From(plugin);
  if (!self || !self->active_) return;
  Kestrion& instrument = *self->instrument_;
  EffectBase::Lock lock(instrument);
  instrument.ActivationChanged(false);
  instrument.ResetProcessing();
  self->active_ = false;
}

// Each process call takes the engine for itself; nothing to start or stop.
bool ClapPlugin::StartProcessing(const clap_plugin* plugin) { return From(plugin) != nullptr; }
void ClapPlugin::StopProcessing(const clap_plugin* /*plugin*/) {}

// On the audio thread outside a process call: the reset waits for the next
// one, which holds the engine anyway.
void ClapPlugin::Reset(const clap_plugin* plugin) {
  if (ClapPlugin* self = From(plugin)) self->resetPending_.store(true, std::memory_order_release);
}

const void* ClapPlugin::GetExtension(const clap_plugin* plugin, const char* id) {
  ClapPlugin* self = From(plugin);
  if (!self || !id) return nullptr;
  static const clap_plugin_audio_ports audioPorts = {&AudioPortCount, &AudioPortInfo};
  static const clap_plugin_note_ports notePorts = {&NotePortCount, &NotePortInfo};
  static const clap_plugin_params params = {&ParamCount,       &ParamInfo,        &ParamValue,
                                            &ParamValueToText, &ParamTextToValue, &ParamFlush};
  static const clap_plugin_state state = {&SaveState, &LoadState};
  static const clap_plugin_gui gui = {&GuiIsApiSupported, &GuiPreferredApi, &GuiCreate,    &GuiDestroy,
                                      &GuiSetScale,       &GuiGetSize,      &GuiCanResize, &GuiResizeHints,
                                      &GuiAdjustSize,     &GuiSetSize,      &GuiSetParent, &GuiSetTransient,
                                      &GuiSuggestTitle,   &GuiShow,         &GuiHide};
  static const clap_plugin_timer_support timer = {&OnTimer};
  static const clap_plugin_posix_fd_support descriptors = {&OnDescriptor};
  static const clap_plugin_preset_load presets = {&LoadPreset};
  if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS) == 0) return &audioPorts;
  if (std::strcmp(id, CLAP_EXT_NOTE_PORTS) == 0) return &notePorts;
  if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &params;
  if (std::strcmp(id, CLAP_EXT_STATE) == 0) return &state;
  if (std::strcmp(id, CLAP_EXT_GUI) == 0) return &gui;
  if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return &timer;
  if (std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT) == 0) return &descriptors;
  if (std::strcmp(id, CLAP_EXT_PRESET_LOAD) == 0 || std::strcmp(id, CLAP_EXT_PRESET_LOAD_COMPAT) == 0) return &presets;
  return nullptr;
}

// What other threads asked of the host on the main thread.
void ClapPlugin::OnMainThread(const clap_plugin* plugin) {
  ClapPlugin* self = From(plugin);
  if (!self) return;
  if (self->rescanPending_.exchange(false, std::memory_order_acq_rel)) self->ProgramListChanged();
  if (self->idlePending_.exchange(false, std::memory_order_acq_rel)) self->EditorIdle();
}

// -- ports: no audio input, one stereo output; notes in, MIDI Thru out ------------------

std::uint32_t ClapPlugin::AudioPortCount(const clap_plugin* /*plugin*/, bool isInput) { return isInput ? 0 : 1; }

bool ClapPlugin::AudioPortInfo(const clap_plugin* /*plugin*/, std::uint32_t index, bool isInput,
                               clap_audio_port_info* info) {
  if (isInput || index != 0 || !info) return false;
  info->id = 0;
  CopyField(info->name, sizeof info->name, "Output");
  info->flags = CLAP_AUDIO_PORT_IS_MAIN | CLAP_AUDIO_PORT_SUPPORTS_64BITS;
  info->channel_count = 2;
  info->port_type = CLAP_PORT_STEREO;
  info->in_place_pair = CLAP_INVALID_ID;
  return true;
}

std::uint32_t ClapPlugin::NotePortCount(const clap_plugin* /*plugin*/, bool /*isInput*/) { return 1; }

bool ClapPlugin::NotePortInfo(const clap_plugin* /*plugin*/, std::uint32_t index, bool isInput,
                              clap_note_port_info* info) {
  if (index != 0 || !info) return false;
  info->id = 0;
  if (isInput) {
    info->supported_dialects = CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI;
    info->preferred_dialect = CLAP_NOTE_DIALECT_MIDI;
    CopyField(info->name, sizeof info->name, "MIDI In");
  } else {
    info->supported_dialects = CLAP_NOTE_DIALECT_MIDI;
    info->preferred_dialect = CLAP_NOTE_DIALECT_MIDI;
    CopyField(info->name, sizeof info->name, "MIDI Thru");
  }
  return true;
}

// -- host requests ------------------------------------------------------------------
// Edits travel as output events of the next process or flush. The main
// thread's wait in the ring (and ask the host for a flush); the audio
// thread's, made during a process call, go out at once.

thread_local ClapPlugin* ClapPlugin::processing_ = nullptr;

void ClapPlugin::QueueEdit(const Edit& edit) {
  if (InProcess()) {
    // A learned controller moved the parameter: the host is told, but does
    // not record it, as it records the controller itself.
    PushEdit(edit, currentOut_, CLAP_EVENT_DONT_RECORD);
    return;
  }
  edits_.Push(edit);
  if (hostParams_) hostParams_->request_flush(host_);
}

void ClapPlugin::BeginEdit(int index) { QueueEdit({CLAP_EVENT_PARAM_GESTURE_BEGIN, static_cast<clap_id>(index), 0}); }

void ClapPlugin::PerformEdit(int index, double normalised) {
  const EffectParameter* parameter = instrument_->Parameter(index);
  if (!parameter) return;
  QueueEdit({CLAP_EVENT_PARAM_VALUE, static_cast<clap_id>(index),
             HostValueOf(*parameter, parameter->FromNormalizedRaw(normalised))});
}

void ClapPlugin::EndEdit(int index) { QueueEdit({CLAP_EVENT_PARAM_GESTURE_END, static_cast<clap_id>(index), 0}); }

// Many values changed at once (a program, a bank, a state): the host reads
// them again. Only on the main thread; from the audio thread (a program
// change by MIDI) it is asked for a main-thread callback first.
void ClapPlugin::ProgramListChanged() {
  if (InProcess()) {
    rescanPending_.store(true, std::memory_order_release);
    if (host_ && host_->request_callback) host_->request_callback(host_);
    return;
  }
  if (hostParams_) hostParams_->rescan(host_, CLAP_PARAM_RESCAN_VALUES | CLAP_PARAM_RESCAN_TEXT);
  if (hostState_) hostState_->mark_dirty(host_);
}

// -- instances ---------------------------------------------------------------------

std::mutex& InstanceCreationLock() {
  static std::mutex lock;
  return lock;
}

const clap_plugin* CreateClapPlugin(const clap_host* host, EditorFactory makeEditor) {
  std::lock_guard<std::mutex> lock(InstanceCreationLock());
  try {
    return (new ClapPlugin(host, makeEditor))->Record();
  } catch (...) {
    return nullptr;
  }
}
