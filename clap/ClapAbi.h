// The CLAP 1.2 binary interface between a host and a plug-in: the records,
// identifiers and flags this code base uses, written from the published
// interface with its names. Every function pointer uses the platform's C
// calling convention (the only one on x86-64). Hosts depend on every size
// and offset here, so each record is pinned by static assertions for 64-bit
// Linux and 64-bit Windows.
#pragma once

#include <cstddef>
#include <cstdint>

namespace clap {

using clap_id = std::uint32_t;
constexpr clap_id CLAP_INVALID_ID = UINT32_MAX;

struct clap_version {
  std::uint32_t major;
  std::uint32_t minor;
  std::uint32_t revision;
};
using clap_version_t = clap_version;
constexpr clap_version_t CLAP_VERSION{1, 2, 2};
// Versions 0.x were drafts and are not compatible.
constexpr bool clap_version_is_compatible(const clap_version_t& v) { return v.major >= 1; }

constexpr std::uint32_t CLAP_NAME_SIZE = 256;
constexpr std::uint32_t CLAP_PATH_SIZE = 1024;

// Fixed-point beat and second times.
using clap_beattime = std::int64_t;
using clap_sectime = std::int64_t;
constexpr std::int64_t CLAP_BEATTIME_FACTOR = std::int64_t(1) << 31;
constexpr std::int64_t CLAP_SECTIME_FACTOR = std::int64_t(1) << 31;

// -- streams ------------------------------------------------------------------
struct clap_istream {
  void* ctx;
  // Bytes read; 0 at the end, -1 on an error.
  std::int64_t (*read)(const clap_istream* stream, void* buffer, std::uint64_t size);
};
struct clap_ostream {
  void* ctx;
  // Bytes written; -1 on an error.
  std::int64_t (*write)(const clap_ostream* stream, const void* buffer, std::uint64_t size);
};

// -- events -------------------------------------------------------------------
struct clap_event_header {
  std::uint32_t size;  // of the whole event
  std::uint32_t time;  // sample offset in the block
  std::uint16_t space_id;
  std::uint16_t type;
  std::uint32_t flags;
};
constexpr std::uint16_t CLAP_CORE_EVENT_SPACE_ID = 0;

enum : std::uint32_t { CLAP_EVENT_IS_LIVE = 1 << 0, CLAP_EVENT_DONT_RECORD = 1 << 1 };

enum : std::uint16_t {
  CLAP_EVENT_NOTE_ON = 0,
  CLAP_EVENT_NOTE_OFF = 1,
  CLAP_EVENT_NOTE_CHOKE = 2,
  CLAP_EVENT_NOTE_END = 3,
  CLAP_EVENT_NOTE_EXPRESSION = 4,
  CLAP_EVENT_PARAM_VALUE = 5,
  CLAP_EVENT_PARAM_MOD = 6,
  CLAP_EVENT_PARAM_GESTURE_BEGIN = 7,
  CLAP_EVENT_PARAM_GESTURE_END = 8,
  CLAP_EVENT_TRANSPORT = 9,
  CLAP_EVENT_MIDI = 10,
  CLAP_EVENT_MIDI_SYSEX = 11,
  CLAP_EVENT_MIDI2 = 12,
};

// Port, channel, key and note id of -1 are wildcards.
struct clap_event_note {
  clap_event_header header;
  std::int32_t note_id;
  std::int16_t port_index;
  std::int16_t channel;
  std::int16_t key;
  double velocity;  // 0–1
};

struct clap_event_param_value {
  clap_event_header header;
  clap_id param_id;
  void* cookie;
  std::int32_t note_id;
  std::int16_t port_index;
  std::int16_t channel;
  std::int16_t key;
  double value;
};

struct clap_event_param_gesture {
  clap_event_header header;
  clap_id param_id;
};

enum : std::uint32_t {
  CLAP_TRANSPORT_HAS_TEMPO = 1 << 0,
  CLAP_TRANSPORT_HAS_BEATS_TIMELINE = 1 << 1,
  CLAP_TRANSPORT_HAS_SECONDS_TIMELINE = 1 << 2,
  CLAP_TRANSPORT_HAS_TIME_SIGNATURE = 1 << 3,
  CLAP_TRANSPORT_IS_PLAYING = 1 << 4,
  CLAP_TRANSPORT_IS_RECORDING = 1 << 5,
  CLAP_TRANSPORT_IS_LOOP_ACTIVE = 1 << 6,
  CLAP_TRANSPORT_IS_WITHIN_PRE_ROLL = 1 << 7,
};

struct clap_event_transport {
  clap_event_header header;
  std::uint32_t flags;
  clap_beattime song_pos_beats;
  clap_sectime song_pos_seconds;
  double tempo;      // beats per minute
  double tempo_inc;  // per sample, until the next transport event
  clap_beattime loop_start_beats;
  clap_beattime loop_end_beats;
  clap_sectime loop_start_seconds;
  clap_sectime loop_end_seconds;
  clap_beattime bar_start;
  std::int32_t bar_number;
  std::uint16_t tsig_num;
  std::uint16_t tsig_denom;
};

struct clap_event_midi {
  clap_event_header header;
  std::uint16_t port_index;
  std::uint8_t data[3];
};

struct clap_input_events {
  void* ctx;
  std::uint32_t (*size)(const clap_input_events* list);
  const clap_event_header* (*get)(const clap_input_events* list, std::uint32_t index);
};
struct clap_output_events {
  void* ctx;
  // Copies the event; false when the host has no room for it.
  bool (*try_push)(const clap_output_events* list, const clap_event_header* event);
};

// -- processing -----------------------------------------------------------------
struct clap_audio_buffer {
  float** data32;
  double** data64;
  std::uint32_t channel_count;
  std::uint32_t latency;
  std::uint64_t constant_mask;
};

using clap_process_status = std::int32_t;
enum : clap_process_status {
  CLAP_PROCESS_ERROR = 0,
  CLAP_PROCESS_CONTINUE = 1,
  CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2,
  CLAP_PROCESS_TAIL = 3,
  CLAP_PROCESS_SLEEP = 4,
};

struct clap_process {
  std::int64_t steady_time;  // -1 when unknown
  std::uint32_t frames_count;
  const clap_event_transport* transport;  // null for a free-running host
  const clap_audio_buffer* audio_inputs;
  clap_audio_buffer* audio_outputs;
  std::uint32_t audio_inputs_count;
  std::uint32_t audio_outputs_count;
  const clap_input_events* in_events;
  const clap_output_events* out_events;
};

// -- host and plug-in ------------------------------------------------------------
struct clap_host {
  clap_version_t clap_version;
  void* host_data;
  const char* name;
  const char* vendor;
  const char* url;
  const char* version;
  const void* (*get_extension)(const clap_host* host, const char* extension_id);  // thread-safe
  void (*request_restart)(const clap_host* host);                                 // thread-safe
  void (*request_process)(const clap_host* host);                                 // thread-safe
  void (*request_callback)(const clap_host* host);                                // thread-safe
};

struct clap_plugin_descriptor {
  clap_version_t clap_version;
  const char* id;
  const char* name;
  const char* vendor;
  const char* url;
  const char* manual_url;
  const char* support_url;
  const char* version;
  const char* description;
  const char* const* features;  // null-terminated
};

// The thread of each call, as the interface states it: main, audio, or any.
struct clap_plugin {
  const clap_plugin_descriptor* desc;
  void* plugin_data;
  bool (*init)(const clap_plugin* plugin);     // main
  void (*destroy)(const clap_plugin* plugin);  // main, inactive
  bool (*activate)(const clap_plugin* plugin, double sample_rate, std::uint32_t min_frames_count,
                   std::uint32_t max_frames_count);                                        // main, inactive
  void (*deactivate)(const clap_plugin* plugin);                                           // main, active
  bool (*start_processing)(const clap_plugin* plugin);                                     // audio
  void (*stop_processing)(const clap_plugin* plugin);                                      // audio
  void (*reset)(const clap_plugin* plugin);                                                // audio, active
  clap_process_status (*process)(const clap_plugin* plugin, const clap_process* process);  // audio
  const void* (*get_extension)(const clap_plugin* plugin, const char* id);                 // any
  void (*on_main_thread)(const clap_plugin* plugin);                                       // main
};

// -- the module's entry and factories -------------------------------------------------
struct clap_plugin_entry {
  clap_version_t clap_version;
  bool (*init)(const char* plugin_path);
  void (*deinit)();
  const void* (*get_factory)(const char* factory_id);  // any thread
};

constexpr const char CLAP_PLUGIN_FACTORY_ID[] = "clap.plugin-factory";
struct clap_plugin_factory {
  std::uint32_t (*get_plugin_count)(const clap_plugin_factory* factory);
  const clap_plugin_descriptor* (*get_plugin_descriptor)(const clap_plugin_factory* factory, std::uint32_t index);
  const clap_plugin* (*create_plugin)(const clap_plugin_factory* factory, const clap_host* host, const char* plugin_id);
};

// -- extensions: audio and note ports -------------------------------------------------
constexpr const char CLAP_EXT_AUDIO_PORTS[] = "clap.audio-ports";
constexpr const char CLAP_PORT_STEREO[] = "stereo";
enum : std::uint32_t {
  CLAP_AUDIO_PORT_IS_MAIN = 1 << 0,
  CLAP_AUDIO_PORT_SUPPORTS_64BITS = 1 << 1,
  CLAP_AUDIO_PORT_PREFERS_64BITS = 1 << 2,
  CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE = 1 << 3,
};
struct clap_audio_port_info {
  clap_id id;
  char name[CLAP_NAME_SIZE];
  std::uint32_t flags;
  std::uint32_t channel_count;
  const char* port_type;
  clap_id in_place_pair;
};
struct clap_plugin_audio_ports {
  std::uint32_t (*count)(const clap_plugin* plugin, bool is_input);
  bool (*get)(const clap_plugin* plugin, std::uint32_t index, bool is_input, clap_audio_port_info* info);
};

constexpr const char CLAP_EXT_NOTE_PORTS[] = "clap.note-ports";
enum : std::uint32_t {
  CLAP_NOTE_DIALECT_CLAP = 1 << 0,
  CLAP_NOTE_DIALECT_MIDI = 1 << 1,
  CLAP_NOTE_DIALECT_MIDI_MPE = 1 << 2,
  CLAP_NOTE_DIALECT_MIDI2 = 1 << 3,
};
struct clap_note_port_info {
  clap_id id;
  std::uint32_t supported_dialects;
  std::uint32_t preferred_dialect;
  char name[CLAP_NAME_SIZE];
};
struct clap_plugin_note_ports {
  std::uint32_t (*count)(const clap_plugin* plugin, bool is_input);
  bool (*get)(const clap_plugin* plugin, std::uint32_t index, bool is_input, clap_note_port_info* info);
};

// -- extension: parameters --------------------------------------------------------------
constexpr const char CLAP_EXT_PARAMS[] = "clap.params";
enum : std::uint32_t {
  CLAP_PARAM_IS_STEPPED = 1 << 0,
  CLAP_PARAM_IS_PERIODIC = 1 << 1,
  CLAP_PARAM_IS_HIDDEN = 1 << 2,
  CLAP_PARAM_IS_READONLY = 1 << 3,
  CLAP_PARAM_IS_BYPASS = 1 << 4,
  CLAP_PARAM_IS_AUTOMATABLE = 1 << 5,
  CLAP_PARAM_IS_MODULATABLE = 1 << 10,
  CLAP_PARAM_REQUIRES_PROCESS = 1 << 15,
  CLAP_PARAM_IS_ENUM = 1 << 16,
};
struct clap_param_info {
  clap_id id;
  std::uint32_t flags;
  void* cookie;
  char name[CLAP_NAME_SIZE];
  char module[CLAP_PATH_SIZE];
  double min_value;
  double max_value;
  double default_value;
};
struct clap_plugin_params {
  std::uint32_t (*count)(const clap_plugin* plugin);                                                    // main
  bool (*get_info)(const clap_plugin* plugin, std::uint32_t param_index, clap_param_info* param_info);  // main
  bool (*get_value)(const clap_plugin* plugin, clap_id param_id, double* out_value);                    // main
  bool (*value_to_text)(const clap_plugin* plugin, clap_id param_id, double value, char* out_buffer,
                        std::uint32_t out_buffer_capacity);  // main
  bool (*text_to_value)(const clap_plugin* plugin, clap_id param_id, const char* param_value_text,
                        double* out_value);  // main
  // Audio while active, else main; never during process.
  void (*flush)(const clap_plugin* plugin, const clap_input_events* in, const clap_output_events* out);
};
enum : std::uint32_t {
  CLAP_PARAM_RESCAN_VALUES = 1 << 0,
  CLAP_PARAM_RESCAN_TEXT = 1 << 1,
  CLAP_PARAM_RESCAN_INFO = 1 << 2,
  CLAP_PARAM_RESCAN_ALL = 1 << 3,
};
struct clap_host_params {
  void (*rescan)(const clap_host* host, std::uint32_t flags);                   // main
  void (*clear)(const clap_host* host, clap_id param_id, std::uint32_t flags);  // main
  void (*request_flush)(const clap_host* host);                                 // any but audio
};

// -- extension: state --------------------------------------------------------------------
constexpr const char CLAP_EXT_STATE[] = "clap.state";
struct clap_plugin_state {
  bool (*save)(const clap_plugin* plugin, const clap_ostream* stream);  // main
  bool (*load)(const clap_plugin* plugin, const clap_istream* stream);  // main
};
struct clap_host_state {
  void (*mark_dirty)(const clap_host* host);  // main
};

// -- extension: the editor --------------------------------------------------------------
constexpr const char CLAP_EXT_GUI[] = "clap.gui";
constexpr const char CLAP_WINDOW_API_WIN32[] = "win32";
constexpr const char CLAP_WINDOW_API_X11[] = "x11";
struct clap_window {
  const char* api;
  union {
    void* cocoa;
    void* uikit;
    unsigned long x11;
    void* win32;
    void* ptr;
  };
};
struct clap_gui_resize_hints {
  bool can_resize_horizontally;
  bool can_resize_vertically;
  bool preserve_aspect_ratio;
  std::uint32_t aspect_ratio_width;
  std::uint32_t aspect_ratio_height;
};
// Every call on the main thread.
struct clap_plugin_gui {
  bool (*is_api_supported)(const clap_plugin* plugin, const char* api, bool is_floating);
  bool (*get_preferred_api)(const clap_plugin* plugin, const char** api, bool* is_floating);
  bool (*create)(const clap_plugin* plugin, const char* api, bool is_floating);
  void (*destroy)(const clap_plugin* plugin);
  bool (*set_scale)(const clap_plugin* plugin, double scale);
  bool (*get_size)(const clap_plugin* plugin, std::uint32_t* width, std::uint32_t* height);
  bool (*can_resize)(const clap_plugin* plugin);
  bool (*get_resize_hints)(const clap_plugin* plugin, clap_gui_resize_hints* hints);
  bool (*adjust_size)(const clap_plugin* plugin, std::uint32_t* width, std::uint32_t* height);
  bool (*set_size)(const clap_plugin* plugin, std::uint32_t width, std::uint32_t height);
  bool (*set_parent)(const clap_plugin* plugin, const clap_window* window);
  bool (*set_transient)(const clap_plugin* plugin, const clap_window* window);
  void (*suggest_title)(const clap_plugin* plugin, const char* title);
  bool (*show)(const clap_plugin* plugin);
  bool (*hide)(const clap_plugin* plugin);
};

// The host's side of the editor: a resize is asked on the main thread.
struct clap_host_gui {
  void (*resize_hints_changed)(const clap_host* host);
  bool (*request_resize)(const clap_host* host, std::uint32_t width, std::uint32_t height);
  bool (*request_show)(const clap_host* host);
  bool (*request_hide)(const clap_host* host);
  void (*closed)(const clap_host* host, bool was_destroyed);
};

// A periodic timer and a watched descriptor, both calling back on the main
// thread: how an editor runs in a host's event loop without a thread.
constexpr const char CLAP_EXT_TIMER_SUPPORT[] = "clap.timer-support";
struct clap_plugin_timer_support {
  void (*on_timer)(const clap_plugin* plugin, clap_id timer_id);
};
struct clap_host_timer_support {
  bool (*register_timer)(const clap_host* host, std::uint32_t period_ms, clap_id* timer_id);
  bool (*unregister_timer)(const clap_host* host, clap_id timer_id);
};

constexpr const char CLAP_EXT_POSIX_FD_SUPPORT[] = "clap.posix-fd-support";
enum : std::uint32_t { CLAP_POSIX_FD_READ = 1 << 0, CLAP_POSIX_FD_WRITE = 1 << 1, CLAP_POSIX_FD_ERROR = 1 << 2 };
struct clap_plugin_posix_fd_support {
  void (*on_fd)(const clap_plugin* plugin, int fd, std::uint32_t flags);
};
struct clap_host_posix_fd_support {
  bool (*register_fd)(const clap_host* host, int fd, std::uint32_t flags);
  bool (*modify_fd)(const clap_host* host, int fd, std::uint32_t flags);
  bool (*unregister_fd)(const clap_host* host, int fd);
};

// -- extension and factory: programs as presets --------------------------------------
constexpr const char CLAP_EXT_PRESET_LOAD[] = "clap.preset-load/2";
constexpr const char CLAP_EXT_PRESET_LOAD_COMPAT[] = "clap.preset-load.draft/2";
struct clap_plugin_preset_load {
  bool (*from_location)(const clap_plugin* plugin, std::uint32_t location_kind, const char* location,
                        const char* load_key);  // main
};
struct clap_host_preset_load {
  void (*on_error)(const clap_host* host, std::uint32_t location_kind, const char* location, const char* load_key,
                   std::int32_t os_error, const char* msg);  // main
  void (*loaded)(const clap_host* host, std::uint32_t location_kind, const char* location,
                 const char* load_key);  // main
};

constexpr const char CLAP_PRESET_DISCOVERY_FACTORY_ID[] = "clap.preset-discovery-factory/2";
constexpr const char CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT[] = "clap.preset-discovery-factory/draft-2";
enum : std::uint32_t { CLAP_PRESET_DISCOVERY_LOCATION_FILE = 0, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN = 1 };
enum : std::uint32_t {
  CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT = 1 << 0,
  CLAP_PRESET_DISCOVERY_IS_USER_CONTENT = 1 << 1,
  CLAP_PRESET_DISCOVERY_IS_DEMO_CONTENT = 1 << 2,
  CLAP_PRESET_DISCOVERY_IS_FAVORITE = 1 << 3,
};
using clap_timestamp = std::uint64_t;  // seconds since 1970; 0 when unknown
struct clap_universal_plugin_id {
  const char* abi;  // "clap", "vst2", ...
  const char* id;
};
struct clap_preset_discovery_metadata_receiver {
  void* receiver_data;
  void (*on_error)(const clap_preset_discovery_metadata_receiver* receiver, std::int32_t os_error,
                   const char* error_message);
  bool (*begin_preset)(const clap_preset_discovery_metadata_receiver* receiver, const char* name, const char* load_key);
  void (*add_plugin_id)(const clap_preset_discovery_metadata_receiver* receiver,
                        const clap_universal_plugin_id* plugin_id);
  void (*set_soundpack_id)(const clap_preset_discovery_metadata_receiver* receiver, const char* soundpack_id);
  void (*set_flags)(const clap_preset_discovery_metadata_receiver* receiver, std::uint32_t flags);
  void (*add_creator)(const clap_preset_discovery_metadata_receiver* receiver, const char* creator);
  void (*set_description)(const clap_preset_discovery_metadata_receiver* receiver, const char* description);
  void (*set_timestamps)(const clap_preset_discovery_metadata_receiver* receiver, clap_timestamp creation_time,
                         clap_timestamp modification_time);
  void (*add_feature)(const clap_preset_discovery_metadata_receiver* receiver, const char* feature);
  void (*add_extra_info)(const clap_preset_discovery_metadata_receiver* receiver, const char* key, const char* value);
};
struct clap_preset_discovery_filetype {
  const char* name;
  const char* description;
  const char* file_extension;  // without the dot
};
struct clap_preset_discovery_location {
  std::uint32_t flags;
  const char* name;
  std::uint32_t kind;
  const char* location;  // null for presets inside the plug-in
};
struct clap_preset_discovery_soundpack;
struct clap_preset_discovery_provider_descriptor {
  clap_version_t clap_version;
  const char* id;
  const char* name;
  const char* vendor;
};
struct clap_preset_discovery_provider {
  const clap_preset_discovery_provider_descriptor* desc;
  void* provider_data;
  bool (*init)(const clap_preset_discovery_provider* provider);
  void (*destroy)(const clap_preset_discovery_provider* provider);
  bool (*get_metadata)(const clap_preset_discovery_provider* provider, std::uint32_t location_kind,
                       const char* location, const clap_preset_discovery_metadata_receiver* metadata_receiver);
  const void* (*get_extension)(const clap_preset_discovery_provider* provider, const char* extension_id);
};
struct clap_preset_discovery_indexer {
  clap_version_t clap_version;
  const char* name;
  const char* vendor;
  const char* url;
  const char* version;
  void* indexer_data;
  bool (*declare_filetype)(const clap_preset_discovery_indexer* indexer,
                           const clap_preset_discovery_filetype* filetype);
  bool (*declare_location)(const clap_preset_discovery_indexer* indexer,
                           const clap_preset_discovery_location* location);
  bool (*declare_soundpack)(const clap_preset_discovery_indexer* indexer,
                            const clap_preset_discovery_soundpack* soundpack);
  const void* (*get_extension)(const clap_preset_discovery_indexer* indexer, const char* extension_id);
};
struct clap_preset_discovery_factory {
  std::uint32_t (*count)(const clap_preset_discovery_factory* factory);
  const clap_preset_discovery_provider_descriptor* (*get_descriptor)(const clap_preset_discovery_factory* factory,
                                                                     std::uint32_t index);
  const clap_preset_discovery_provider* (*create)(const clap_preset_discovery_factory* factory,
                                                  const clap_preset_discovery_indexer* indexer,
                                                  const char* provider_id);
};

// -- extensions the host may offer ----------------------------------------------------
constexpr const char CLAP_EXT_THREAD_CHECK[] = "clap.thread-check";
struct clap_host_thread_check {
  bool (*is_main_thread)(const clap_host* host);
  bool (*is_audio_thread)(const clap_host* host);
};

constexpr const char CLAP_EXT_LOG[] = "clap.log";
enum : std::int32_t { CLAP_LOG_DEBUG, CLAP_LOG_INFO, CLAP_LOG_WARNING, CLAP_LOG_ERROR, CLAP_LOG_FATAL };
struct clap_host_log {
  void (*log)(const clap_host* host, std::int32_t severity, const char* msg);
};

// -- pins: sizes and offsets hosts rely on -------------------------------------------
static_assert(sizeof(void*) == 8, "64-bit targets only");
static_assert(sizeof(bool) == 1, "bool is one byte, as C's");
static_assert(sizeof(clap_version) == 12);
static_assert(sizeof(clap_event_header) == 16);
static_assert(sizeof(clap_event_note) == 40 && offsetof(clap_event_note, velocity) == 32);
static_assert(sizeof(clap_event_param_value) == 56 && offsetof(clap_event_param_value, value) == 48);
static_assert(sizeof(clap_event_param_gesture) == 20);
static_assert(sizeof(clap_event_transport) == 104 && offsetof(clap_event_transport, tempo) == 40 &&
              offsetof(clap_event_transport, bar_number) == 96 && offsetof(clap_event_transport, tsig_num) == 100);
static_assert(sizeof(clap_event_midi) == 24 && offsetof(clap_event_midi, data) == 18);
static_assert(sizeof(clap_audio_buffer) == 32);
static_assert(sizeof(clap_process) == 64 && offsetof(clap_process, in_events) == 48);
static_assert(sizeof(clap_host) == 88 && offsetof(clap_host, get_extension) == 56);
static_assert(sizeof(clap_plugin_descriptor) == 88 && offsetof(clap_plugin_descriptor, id) == 16);
static_assert(sizeof(clap_plugin) == 96 && offsetof(clap_plugin, process) == 72);
static_assert(sizeof(clap_plugin_entry) == 40 && offsetof(clap_plugin_entry, get_factory) == 32);
static_assert(sizeof(clap_audio_port_info) == 288 && offsetof(clap_audio_port_info, port_type) == 272);
static_assert(sizeof(clap_note_port_info) == 268);
static_assert(sizeof(clap_window) == 16 && offsetof(clap_window, x11) == 8);
static_assert(sizeof(clap_gui_resize_hints) == 12);
static_assert(sizeof(clap_plugin_gui) == 15 * 8);
static_assert(sizeof(clap_preset_discovery_metadata_receiver) == 11 * 8);
static_assert(sizeof(clap_preset_discovery_location) == 32 && offsetof(clap_preset_discovery_location, kind) == 16);
static_assert(sizeof(clap_preset_discovery_provider_descriptor) == 40);
static_assert(sizeof(clap_preset_discovery_provider) == 48);
static_assert(sizeof(clap_preset_discovery_indexer) == 88 &&
              offsetof(clap_preset_discovery_indexer, indexer_data) == 48);
static_assert(sizeof(clap_param_info) == 1320 && offsetof(clap_param_info, name) == 16 &&
              offsetof(clap_param_info, min_value) == 1296);

}  // namespace clap
