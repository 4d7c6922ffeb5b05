#include "tools/claphost/ClapHost.h"

#include <algorithm>
#include <cstring>

using namespace clap;

namespace claphost {

namespace {

thread_local int tCallbackDepth = 0;
// Marks the host's own work inside a call from the plug-in.
struct InHost {
  InHost() { ++tCallbackDepth; }
  ~InHost() { --tCallbackDepth; }
};

template <typename Record>
Event Whole(const Record& record) {
  Event event;
  event.bytes.resize(sizeof record);
  std::memcpy(event.bytes.data(), &record, sizeof record);
  return event;
}

Event Note(std::uint16_t type, std::uint32_t time, int key, double velocity, int channel) {
  clap_event_note note{};
  note.header = {sizeof note, time, CLAP_CORE_EVENT_SPACE_ID, type, 0};
  note.note_id = -1;
  note.port_index = 0;
  note.channel = static_cast<std::int16_t>(channel);
  note.key = static_cast<std::int16_t>(key);
  note.velocity = velocity;
  return Whole(note);
}

// The event lists handed to the plug-in.
struct InputList {
  const std::vector<Event>* events;
  static std::uint32_t Size(const clap_input_events* list) {
    return static_cast<std::uint32_t>(static_cast<InputList*>(list->ctx)->events->size());
  }
  static const clap_event_header* Get(const clap_input_events* list, std::uint32_t index) {
    const std::vector<Event>& events = *static_cast<InputList*>(list->ctx)->events;
    return index < events.size() ? &events[index].Header() : nullptr;
  }
};

bool PushOutput(const clap_output_events* list, const clap_event_header* header) {
  InHost inHost;
  if (!header || header->size < sizeof(clap_event_header)) return false;
  Event event;
  event.bytes.assign(reinterpret_cast<const std::uint8_t*>(header),
                     reinterpret_cast<const std::uint8_t*>(header) + header->size);
  static_cast<std::vector<Event>*>(list->ctx)->push_back(std::move(event));
  return true;
}

struct MemoryStream {
  std::vector<std::uint8_t>* bytes;
  std::size_t position;
  std::uint64_t chunk;
};

std::int64_t WriteStream(const clap_ostream* stream, const void* data, std::uint64_t size) {
  auto* memory = static_cast<MemoryStream*>(stream->ctx);
  const std::uint64_t n = std::min(size, memory->chunk);
  const auto* from = static_cast<const std::uint8_t*>(data);
  memory->bytes->insert(memory->bytes->end(), from, from + n);
  return static_cast<std::int64_t>(n);
}

std::int64_t ReadStream(const clap_istream* stream, void* data, std::uint64_t size) {
  auto* memory = static_cast<MemoryStream*>(stream->ctx);
  const std::uint64_t left = memory->bytes->size() - memory->position;
  const std::uint64_t n = std::min({size, memory->chunk, left});
  if (n == 0) return 0;
  std::memcpy(data, memory->bytes->data() + memory->position, n);
  memory->position += n;
  return static_cast<std::int64_t>(n);
}

}  // namespace

Event NoteOn(std::uint32_t time, int key, double velocity, int channel) {
  return Note(CLAP_EVENT_NOTE_ON, time, key, velocity, channel);
}
Event NoteOff(std::uint32_t time, int key, double velocity, int channel) {
  return Note(CLAP_EVENT_NOTE_OFF, time, key, velocity, channel);
}

Event Midi(std::uint32_t time, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
  clap_event_midi midi{};
  midi.header = {sizeof midi, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_MIDI, 0};
  midi.data[0] = status;
  midi.data[1] = data1;
  midi.data[2] = data2;
  return Whole(midi);
}

Event ParamValue(std::uint32_t time, clap_id id, double value) {
  clap_event_param_value event{};
  event.header = {sizeof event, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
  event.param_id = id;
  event.note_id = -1;
  event.port_index = event.channel = event.key = -1;
  event.value = value;
  return Whole(event);
}

ClapHost::ClapHost() : mainThread_(std::this_thread::get_id()) {
  host_.clap_version = CLAP_VERSION;
  host_.host_data = this;
  host_.name = "Kestrion test host";
  host_.vendor = "Kestrion";
  host_.url = "";
  host_.version = "1.0";
  host_.get_extension = &HostExtension;
  host_.request_restart = [](const clap_host*) {};
  host_.request_process = [](const clap_host*) {};
  host_.request_callback = [](const clap_host* host) {
    InHost inHost;
    ++From(host)->callbackRequests_;
  };
}

ClapHost::~ClapHost() {
  if (plugin_) {
    Deactivate();
    plugin_->destroy(plugin_);
  }
  if (entryInitialised_) entry_->deinit();
  platform::CloseLibrary(library_);
}

bool ClapHost::Load(const std::string& path, std::string* error, const std::string& id) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  std::string why;
  library_ = platform::OpenLibrary(path, &why);
  if (!library_.handle) return fail("cannot load plug-in '" + path + "': " + why);
  const auto* entry = static_cast<const clap_plugin_entry*>(platform::FindSymbol(library_, "clap_entry"));
  if (!entry) return fail("'" + path + "' is not a CLAP plug-in: no clap_entry");
  return Attach(entry, path, error, id);
}

bool ClapHost::Attach(const clap_plugin_entry* entry, const std::string& path, std::string* error,
                      const std::string& id) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  entry_ = entry;
  if (!clap_version_is_compatible(entry_->clap_version)) return fail("'" + path + "' has an incompatible version");
  if (!entry_->init(path.c_str())) return fail("the entry of '" + path + "' refused to initialise");
  entryInitialised_ = true;
  factory_ = static_cast<const clap_plugin_factory*>(entry_->get_factory(CLAP_PLUGIN_FACTORY_ID));
  if (!factory_ || factory_->get_plugin_count(factory_) == 0) return fail("'" + path + "' lists no plug-in");
  const clap_plugin_descriptor* descriptor = factory_->get_plugin_descriptor(factory_, 0);
  const std::string wanted = id.empty() && descriptor ? descriptor->id : id;
  plugin_ = factory_->create_plugin(factory_, &host_, wanted.c_str());
  if (!plugin_) return fail("'" + path + "' created no plug-in '" + wanted + "'");
  if (!plugin_->init(plugin_)) {
    plugin_->destroy(plugin_);
    plugin_ = nullptr;
    return fail("the plug-in '" + wanted + "' refused to initialise");
  }
  return true;
}

void ClapHost::CheckMainThread() {
  if (std::this_thread::get_id() != mainThread_) ++wrongThread_;
}

const void* ClapHost::HostExtension(const clap_host* host, const char* id) {
  static const clap_host_params params = {
      [](const clap_host* host, std::uint32_t) {
        From(host)->CheckMainThread();
        ++From(host)->rescans_;
      },
      [](const clap_host* host, clap_id, std::uint32_t) { From(host)->CheckMainThread(); },
      [](const clap_host* host) { ++From(host)->flushRequests_; },
  };
  static const clap_host_state state = {[](const clap_host* host) {
    From(host)->CheckMainThread();
    ++From(host)->dirtyMarks_;
  }};
  static const clap_host_thread_check threadCheck = {
      [](const clap_host* host) { return std::this_thread::get_id() == From(host)->mainThread_; },
      [](const clap_host* host) { return std::this_thread::get_id() != From(host)->mainThread_; },
  };
  static const clap_host_timer_support timers = {
      [](const clap_host* host, std::uint32_t period, clap_id* id) {
        ClapHost* self = From(host);
        self->CheckMainThread();
        *id = self->nextTimer_++;
        self->timers_.push_back({*id, period});
        return true;
      },
      [](const clap_host* host, clap_id id) {
        ClapHost* self = From(host);
        self->CheckMainThread();
        const auto before = self->timers_.size();
        self->timers_.erase(std::remove_if(self->timers_.begin(), self->timers_.end(),
                                           [id](const Timer& timer) { return timer.id == id; }),
                            self->timers_.end());
        return self->timers_.size() != before;
      },
  };
  static const clap_host_posix_fd_support descriptors = {
      [](const clap_host* host, int fd, std::uint32_t) {
        ClapHost* self = From(host);
        self->CheckMainThread();
        self->descriptors_.push_back(fd);
        return true;
      },
      [](const clap_host*, int, std::uint32_t) { return true; },
      [](const clap_host* host, int fd) {
        ClapHost* self = From(host);
        self->CheckMainThread();
        const auto before = self->descriptors_.size();
        self->descriptors_.erase(std::remove(self->descriptors_.begin(), self->descriptors_.end(), fd),
                                 self->descriptors_.end());
        return self->descriptors_.size() != before;
      },
  };
  static const clap_host_gui gui = {
      [](const clap_host*) {},
      [](const clap_host* host, std::uint32_t width, std::uint32_t height) {
        InHost inHost;
        return From(host)->RequestResize(width, height);
      },
      [](const clap_host*) { return false; },
      [](const clap_host*) { return false; },
      [](const clap_host*, bool) {},
  };
  const bool loop = From(host)->offerEditorLoop_;
  if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return loop ? &timers : nullptr;
  if (std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT) == 0) return loop ? &descriptors : nullptr;
  if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &params;
  if (std::strcmp(id, CLAP_EXT_STATE) == 0) return &state;
  if (std::strcmp(id, CLAP_EXT_THREAD_CHECK) == 0) return &threadCheck;
  if (std::strcmp(id, CLAP_EXT_GUI) == 0) return &gui;
  return nullptr;
}

bool ClapHost::RequestResize(std::uint32_t width, std::uint32_t height) {
  {
    std::lock_guard<std::mutex> lock(resizeMutex_);
    resizeRequests_.push_back({width, height});
  }
  if (!grantsResize_) return false;
  // set_size belongs to the main thread: a request from another is granted only.
  if (setsSizeBack_ && std::this_thread::get_id() == mainThread_)
    if (auto* gui = PluginExtension<clap_plugin_gui>(CLAP_EXT_GUI)) return gui->set_size(plugin_, width, height);
  return true;
}

std::vector<GuiSize> ClapHost::ResizeRequests() const {
  std::lock_guard<std::mutex> lock(resizeMutex_);
  return resizeRequests_;
}

bool ClapHost::Activate(double rate, std::uint32_t maxFrames) {
  if (!plugin_ || active_) return false;
  if (!plugin_->activate(plugin_, rate, 1, maxFrames)) return false;
  active_ = true;
  maxFrames_ = maxFrames;
  plugin_->start_processing(plugin_);
  return true;
}

void ClapHost::Deactivate() {
  if (!plugin_ || !active_) return;
  plugin_->stop_processing(plugin_);
  plugin_->deactivate(plugin_);
  active_ = false;
}

clap_process_status ClapHost::Process(std::uint32_t frames, const std::vector<Event>& events, bool doublePrecision,
                                      const clap_event_transport* transport) {
  // Kept between calls: a block allocates nothing on the host's side either.
  left32_.assign(frames, 0.0f);
  right32_.assign(frames, 0.0f);
  left_.assign(frames, 0.0);
  right_.assign(frames, 0.0);
  float* channels32[2] = {left32_.data(), right32_.data()};
  double* channels64[2] = {left_.data(), right_.data()};
  clap_audio_buffer output{};
  output.channel_count = 2;
  if (doublePrecision)
    output.data64 = channels64;
  else
    output.data32 = channels32;

  InputList inputs{&events};
  const clap_input_events in = {&inputs, &InputList::Size, &InputList::Get};
  output_.clear();
  const clap_output_events out = {&output_, &PushOutput};
  clap_process process{};
  process.steady_time = steadyTime_;
  process.frames_count = frames;
  process.transport = transport;
  process.audio_outputs = &output;
  process.audio_outputs_count = 1;
  process.in_events = &in;
  process.out_events = &out;
  const clap_process_status status = plugin_->process(plugin_, &process);
  steadyTime_ += frames;
  if (!doublePrecision)
    for (std::uint32_t i = 0; i < frames; ++i) {
      left_[i] = left32_[i];
      right_[i] = right32_[i];
    }
  return status;
}

void ClapHost::Flush(const std::vector<Event>& events) {
  auto* params = PluginExtension<clap_plugin_params>(CLAP_EXT_PARAMS);
  if (!params) return;
  InputList inputs{&events};
  const clap_input_events in = {&inputs, &InputList::Size, &InputList::Get};
  output_.clear();
  const clap_output_events out = {&output_, &PushOutput};
  params->flush(plugin_, &in, &out);
}

std::uint32_t ClapHost::ParamCount() const {
  auto* params = PluginExtension<clap_plugin_params>(CLAP_EXT_PARAMS);
  return params ? params->count(plugin_) : 0;
}

bool ClapHost::ParamInfo(std::uint32_t index, clap_param_info* info) const {
  auto* params = PluginExtension<clap_plugin_params>(CLAP_EXT_PARAMS);
  return params && params->get_info(plugin_, index, info);
}

double ClapHost::ParamValue(clap_id id) const {
  auto* params = PluginExtension<clap_plugin_params>(CLAP_EXT_PARAMS);
  double value = -1;
  if (!params || !params->get_value(plugin_, id, &value)) return -1;
  return value;
}

std::string ClapHost::ValueToText(clap_id id, double value) const {
  auto* params = PluginExtension<clap_plugin_params>(CLAP_EXT_PARAMS);
  char text[CLAP_NAME_SIZE] = "";
  if (!params || !params->value_to_text(plugin_, id, value, text, sizeof text)) return "(refused)";
  return text;
}

bool ClapHost::TextToValue(clap_id id, const std::string& text, double* value) const {
  auto* params = PluginExtension<clap_plugin_params>(CLAP_EXT_PARAMS);
  return params && params->text_to_value(plugin_, id, text.c_str(), value);
}

bool ClapHost::SaveState(std::vector<std::uint8_t>* bytes, std::uint64_t chunk) const {
  auto* state = PluginExtension<clap_plugin_state>(CLAP_EXT_STATE);
  if (!state) return false;
  bytes->clear();
  MemoryStream memory{bytes, 0, chunk};
  const clap_ostream stream = {&memory, &WriteStream};
  return state->save(plugin_, &stream);
}

bool ClapHost::LoadState(const std::vector<std::uint8_t>& bytes, std::uint64_t chunk) const {
  auto* state = PluginExtension<clap_plugin_state>(CLAP_EXT_STATE);
  if (!state) return false;
  std::vector<std::uint8_t> copy = bytes;
  MemoryStream memory{&copy, 0, chunk};
  const clap_istream stream = {&memory, &ReadStream};
  return state->load(plugin_, &stream);
}

bool ClapHost::InCallback() { return tCallbackDepth > 0; }

void ClapHost::RunEventLoopOnce() {
  auto* timer = PluginExtension<clap_plugin_timer_support>(CLAP_EXT_TIMER_SUPPORT);
  auto* descriptor = PluginExtension<clap_plugin_posix_fd_support>(CLAP_EXT_POSIX_FD_SUPPORT);
  // Copies: a callback may register or unregister.
  const std::vector<Timer> timers = timers_;
  const std::vector<int> descriptors = descriptors_;
  if (timer)
    for (const Timer& t : timers) timer->on_timer(plugin_, t.id);
  if (descriptor)
    for (int fd : descriptors) descriptor->on_fd(plugin_, fd, CLAP_POSIX_FD_READ);
}

void ClapHost::RunMainThreadCallback() {
  if (callbackRequests_.exchange(0) > 0 && plugin_) plugin_->on_main_thread(plugin_);
}

}  // namespace claphost
