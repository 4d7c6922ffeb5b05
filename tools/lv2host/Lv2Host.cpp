#include "tools/lv2host/Lv2Host.h"

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/log/log.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/FileSystem.h"

namespace lv2host {

namespace {

thread_local int tCallbackDepth = 0;
// Marks the host's own work inside a call from the plug-in or its UI.
struct InHost {
  InHost() { ++tCallbackDepth; }
  ~InHost() { --tCallbackDepth; }
};

constexpr char kRdfsLabel[] = "http://www.w3.org/2000/01/rdf-schema#label";
constexpr char kRdfType[] = "http://www.w3.org/1999/02/22-rdf-syntax-ns#type";
constexpr char kX11Ui[] = "http://lv2plug.in/ns/extensions/ui#X11UI";
// The subject of a saved state; a session names each instance's state its own way.
constexpr char kStateUri[] = "urn:lv2host:state";
constexpr std::uint32_t kInputCapacity = 64 * 1024;
// Bytes after the output's capacity that the plug-in must leave alone.
constexpr std::uint32_t kGuardBytes = 64;
constexpr std::uint8_t kGuardByte = 0xA5;
// A descriptor function that never answers null stops being asked here.
constexpr std::uint32_t kMostUiDescriptors = 1024;
constexpr std::uint32_t kStateFlags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;

// A node the host made, freed with it.
struct NodeFree {
  void operator()(LilvNode* node) const { lilv_node_free(node); }
};
using Node = std::unique_ptr<LilvNode, NodeFree>;

// A file URI lilv holds as a path, or empty when it is none.
std::string PathOf(const LilvNode* uri) {
  if (!uri || !lilv_node_is_uri(uri)) return "";
  char* path = lilv_file_uri_parse(lilv_node_as_uri(uri), nullptr);
  std::string result = path ? path : "";
  lilv_free(path);
  return result;
}

std::string TakeString(LilvNode* node) {
  std::string result = node ? lilv_node_as_string(node) : "";
  lilv_node_free(node);
  return result;
}

// The bundle folder as an absolute path, empty when there is no such folder.
std::string BundleFolder(const std::string& bundleDir) {
  char* absolute = realpath(bundleDir.c_str(), nullptr);
  const std::string folder = absolute ? absolute : "";
  free(absolute);
  return !folder.empty() && platform::FolderExists(folder) ? folder : "";
}

// Loads the bundle folder alone into `world`; lilv wants it as an absolute
// file URI ending in a slash.
void LoadBundle(LilvWorld* world, const std::string& folder) {
  Node bundle(lilv_new_file_uri(world, nullptr, (folder + "/").c_str()));
  if (bundle) lilv_world_load_bundle(world, bundle.get());
}

float TakeFloat(LilvNode* node) {
  const float value = node && (lilv_node_is_float(node) || lilv_node_is_int(node))
                          ? lilv_node_as_float(node)
                          : std::numeric_limits<float>::quiet_NaN();
  lilv_node_free(node);
  return value;
}

}  // namespace

// The lilv objects of one loaded bundle.
struct Lv2Host::World {
  LilvWorld* world = nullptr;
  const LilvPlugin* plugin = nullptr;
  LilvInstance* instance = nullptr;
  Node audioPort, cvPort, controlPort, atomPort, inputPort, outputPort, integer, enumeration, preset, label, type,
      x11Ui;

  World() : world(lilv_world_new()) {
    audioPort = Uri(LV2_CORE__AudioPort);
    cvPort = Uri(LV2_CORE__CVPort);
    controlPort = Uri(LV2_CORE__ControlPort);
    atomPort = Uri(LV2_ATOM__AtomPort);
    inputPort = Uri(LV2_CORE__InputPort);
    outputPort = Uri(LV2_CORE__OutputPort);
    integer = Uri(LV2_CORE__integer);
    enumeration = Uri(LV2_CORE__enumeration);
    preset = Uri(LV2_PRESETS__Preset);
    label = Uri(kRdfsLabel);
    type = Uri(kRdfType);
    x11Ui = Uri(kX11Ui);
  }
  ~World() {
    if (instance) lilv_instance_free(instance);
    // The nodes belong to the world: they go before it.
    for (Node* node : {&audioPort, &cvPort, &controlPort, &atomPort, &inputPort, &outputPort, &integer, &enumeration,
                       &preset, &label, &type, &x11Ui})
      node->reset();
    lilv_world_free(world);
  }
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  Node Uri(const char* uri) const { return Node(lilv_new_uri(world, uri)); }
  bool PortIs(const LilvPort* port, const Node& kind) const { return lilv_port_is_a(plugin, port, kind.get()); }
  bool PortHas(const LilvPort* port, const Node& property) const {
    return lilv_port_has_property(plugin, port, property.get());
  }
};

// What the host hands the plug-in and its UI, and the C callbacks that lead
// back to the host; it stays where it is while they hold pointers into it.
struct Lv2Host::Features {
  explicit Features(Lv2Host& host) : host(host) {}

  Lv2Host& host;
  LV2_URID_Map map{};
  LV2_URID_Unmap unmap{};
  LV2_Log_Log log{};
  LV2UI_Resize resize{};
  std::int32_t maxBlockLength = 0, nominalBlockLength = 0;
  float sampleRate = 0;
  LV2_Options_Option options[4]{};
  // The UI's: the instance's options and the scale.
  float uiScale = 0;
  LV2_Options_Option uiOptions[5]{};
  LV2_Feature mapFeature{}, unmapFeature{}, logFeature{}, optionsFeature{}, uiOptionsFeature{}, boundedFeature{};
  std::vector<const LV2_Feature*> plugin;  // null-terminated
  LV2_Feature parentFeature{}, instanceFeature{}, resizeFeature{}, idleFeature{};
  std::vector<const LV2_Feature*> ui;  // null-terminated

  LV2_Atom_Forge forge{};
  LV2_URID atomChunk = 0, atomSequence = 0, atomFloat = 0, atomDouble = 0, atomInt = 0, atomLong = 0, atomBool = 0;
  LV2_URID midiEvent = 0;
  LV2_URID position = 0, frame = 0, speed = 0, bar = 0, barBeat = 0, beatUnit = 0, beatsPerBar = 0, beatsPerMinute = 0;

  // One raw restore's single property.
  struct RawValue {
    LV2_URID key, type;
    const std::vector<std::uint8_t>* bytes;
  };
  struct RawSave {
    Lv2Host* host;
    std::vector<StateValue>* values;
  };

  static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri) {
    InHost inHost;
    return uri ? static_cast<Lv2Host*>(handle)->Map(uri) : 0;
  }
  static const char* Unmap(LV2_URID_Unmap_Handle handle, LV2_URID urid) {
    InHost inHost;
    Lv2Host& host = *static_cast<Lv2Host*>(handle);
    std::lock_guard<std::mutex> lock(host.uridMutex_);
    return urid >= 1 && urid <= host.uris_.size() ? host.uris_[urid - 1].c_str() : nullptr;
  }
  static int LogVprintf(LV2_Log_Handle handle, LV2_URID type, const char* format, va_list arguments) {
    InHost inHost;
    if (!format) return 0;
    va_list measure;
    va_copy(measure, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length < 0) return length;
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, arguments);
    text.resize(static_cast<std::size_t>(length));
    static_cast<Lv2Host*>(handle)->Log(type, std::move(text));
    return length;
  }
  static int LogPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const int length = LogVprintf(handle, type, format, arguments);
    va_end(arguments);
    return length;
  }
  static int Resize(LV2UI_Feature_Handle handle, int width, int height) {
    InHost inHost;
    Lv2Host& host = *static_cast<Lv2Host*>(handle);
    host.RecordResize(width, height);
    return host.grantsResize_ ? 0 : 1;
  }
  static void Write(LV2UI_Controller controller, std::uint32_t port, std::uint32_t size, std::uint32_t protocol,
                    const void* buffer) {
    InHost inHost;
    static_cast<Lv2Host*>(controller)->RecordUiWrite(port, size, protocol, buffer);
  }
  static const void* GetPortValue(const char* symbol, void* data, std::uint32_t* size, std::uint32_t* type) {
    InHost inHost;
    Lv2Host& host = *static_cast<Lv2Host*>(data);
    const int index = symbol ? host.PortIndex(symbol) : -1;
    const auto port = static_cast<std::uint32_t>(index);
    float* value = index >= 0 && host.ports_[port].input ? host.Control(port) : nullptr;
    *size = value ? sizeof(float) : 0;
    *type = value ? host.features_->atomFloat : 0;
    return value;
  }
  static void SetPortValue(const char* symbol, void* data, const void* value, std::uint32_t size, std::uint32_t type) {
    InHost inHost;
    static_cast<Lv2Host*>(data)->SetPortValue(symbol, value, size, type);
  }
  static const void* Retrieve(LV2_State_Handle handle, std::uint32_t key, std::size_t* size, std::uint32_t* type,
                              std::uint32_t* flags) {
    InHost inHost;
    static const std::uint8_t kNothing = 0;
    const RawValue& raw = *static_cast<const RawValue*>(handle);
    if (key != raw.key) return nullptr;
    if (size) *size = raw.bytes->size();
    if (type) *type = raw.type;
    if (flags) *flags = kStateFlags;
    return raw.bytes->empty() ? &kNothing : raw.bytes->data();
  }
  static LV2_State_Status Store(LV2_State_Handle handle, std::uint32_t key, const void* value, std::size_t size,
                                std::uint32_t type, std::uint32_t flags) {
    InHost inHost;
    RawSave& save = *static_cast<RawSave*>(handle);
    StateValue stored;
    stored.key = save.host->Unmap(key);
    stored.type = save.host->Unmap(type);
    if (value && size > 0)
      stored.bytes.assign(static_cast<const std::uint8_t*>(value), static_cast<const std::uint8_t*>(value) + size);
    stored.flags = flags;
    save.values->push_back(std::move(stored));
    return LV2_STATE_SUCCESS;
  }
};

// -- loading ----------------------------------------------------------------------------------

Lv2Host::Lv2Host() : uiThread_(std::this_thread::get_id()) {}

Lv2Host::~Lv2Host() { Unload(); }

void Lv2Host::SetBlockLengths(std::uint32_t maxBlockLength, std::uint32_t nominalBlockLength) {
  maxBlockLength_ = maxBlockLength;
  nominalBlockLength_ = nominalBlockLength;
}

bool Lv2Host::Fail(const std::string& why, std::string* error) {
  Unload();
  if (error) *error = why;
  return false;
}

bool Lv2Host::Load(const std::string& bundleDir, const std::string& pluginUri, std::string* error) {
  Unload();
  uiThread_ = std::this_thread::get_id();
  {
    std::lock_guard<std::mutex> lock(recordMutex_);
    logMessages_.clear();
    uiWrites_.clear();
    resizeRequests_.clear();
  }
  offUiThread_ = 0;
  unappliedPortValues_ = 0;

  const std::string folder = BundleFolder(bundleDir);
  if (folder.empty()) return Fail("no bundle folder '" + bundleDir + "'", error);

  world_ = std::make_unique<World>();
  World& w = *world_;
  {
    // The node goes before a failure frees the world it belongs to.
    Node uri = w.Uri(pluginUri.c_str());
    if (uri) {
      LoadBundle(w.world, folder);
      lilv_world_load_specifications(w.world);
      lilv_world_load_plugin_classes(w.world);
      w.plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(w.world), uri.get());
    }
  }
  if (!w.plugin) return Fail("the bundle '" + folder + "' describes no plug-in " + pluginUri, error);
  if (!lilv_plugin_verify(w.plugin)) return Fail("lilv finds the description of " + pluginUri + " incomplete", error);
  ReadPorts();

  features_ = std::make_unique<Features>(*this);
  Features& f = *features_;
  f.map = {this, &Features::Map};
  f.unmap = {this, &Features::Unmap};
  f.log = {this, &Features::LogPrintf, &Features::LogVprintf};
  f.resize = {this, &Features::Resize};
  f.mapFeature = {LV2_URID__map, &f.map};
  f.unmapFeature = {LV2_URID__unmap, &f.unmap};
  f.logFeature = {LV2_LOG__log, &f.log};
  f.boundedFeature = {LV2_BUF_SIZE__boundedBlockLength, nullptr};
  f.maxBlockLength = static_cast<std::int32_t>(maxBlockLength_);
  f.nominalBlockLength = static_cast<std::int32_t>(nominalBlockLength_);
  f.sampleRate = static_cast<float>(sampleRate_);
  const LV2_URID atomInt = Map(LV2_ATOM__Int);
  f.options[0] = {LV2_OPTIONS_INSTANCE, 0,       Map(LV2_BUF_SIZE__maxBlockLength),
                  sizeof(std::int32_t), atomInt, &f.maxBlockLength};
  f.options[1] = {LV2_OPTIONS_INSTANCE, 0,       Map(LV2_BUF_SIZE__nominalBlockLength),
                  sizeof(std::int32_t), atomInt, &f.nominalBlockLength};
  f.options[2] = {LV2_OPTIONS_INSTANCE, 0, Map(LV2_PARAMETERS__sampleRate), sizeof(float), Map(LV2_ATOM__Float),
                  &f.sampleRate};
  f.options[3] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
  f.optionsFeature = {LV2_OPTIONS__options, f.options};
  f.plugin = {&f.mapFeature, &f.unmapFeature, &f.logFeature, &f.boundedFeature};
  if (offerOptions_) f.plugin.push_back(&f.optionsFeature);
  f.plugin.push_back(nullptr);

  lv2_atom_forge_init(&f.forge, &f.map);
  f.atomChunk = Map(LV2_ATOM__Chunk);
  f.atomSequence = Map(LV2_ATOM__Sequence);
  f.atomFloat = Map(LV2_ATOM__Float);
  f.atomDouble = Map(LV2_ATOM__Double);
  f.atomInt = atomInt;
  f.atomLong = Map(LV2_ATOM__Long);
  f.atomBool = Map(LV2_ATOM__Bool);
  f.midiEvent = Map(LV2_MIDI__MidiEvent);
  f.position = Map(LV2_TIME__Position);
  f.frame = Map(LV2_TIME__frame);
  f.speed = Map(LV2_TIME__speed);
  f.bar = Map(LV2_TIME__bar);
  f.barBeat = Map(LV2_TIME__barBeat);
  f.beatUnit = Map(LV2_TIME__beatUnit);
  f.beatsPerBar = Map(LV2_TIME__beatsPerBar);
  f.beatsPerMinute = Map(LV2_TIME__beatsPerMinute);

  w.instance = lilv_plugin_instantiate(w.plugin, sampleRate_, f.plugin.data());
  if (!w.instance) return Fail("the plug-in " + pluginUri + " refused to instantiate", error);

  // Buffers for every port, control inputs at their defaults.
  controls_.assign(ports_.size(), 0.0f);
  audio_.assign(ports_.size(), {});
  atoms_.assign(ports_.size(), {});
  for (std::size_t i = 0; i < ports_.size(); ++i) {
    const PortInfo& port = ports_[i];
    if (port.kind == PortInfo::kControl) {
      controls_[i] = std::isfinite(port.defaultValue) ? port.defaultValue
                     : std::isfinite(port.minimum)    ? port.minimum
                                                      : 0.0f;
    } else if (port.kind == PortInfo::kAudio) {
      audio_[i].assign(std::max<std::uint32_t>(maxBlockLength_, 1), 0.0f);
    } else if (port.kind == PortInfo::kAtom) {
      const std::uint32_t capacity = port.input ? kInputCapacity : outputCapacity_;
      atoms_[i].capacity = capacity;
      atoms_[i].storage.assign((capacity + kGuardBytes + 7) / 8, 0);
      if (port.input && atomInput_ < 0) atomInput_ = static_cast<int>(i);
      if (!port.input && atomOutput_ < 0) atomOutput_ = static_cast<int>(i);
    }
  }
  // An empty sequence in every atom input until a run fills the first.
  for (AtomBuffer& atom : atoms_) {
    if (atom.storage.empty()) continue;
    auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(atom.storage.data());
    sequence->atom = {sizeof(LV2_Atom_Sequence_Body), f.atomSequence};
    sequence->body = {0, 0};
  }
  ConnectPorts();
  return true;
}

std::vector<std::string> Lv2Host::PluginUris(const std::string& bundleDir) {
  std::vector<std::string> uris;
  const std::string folder = BundleFolder(bundleDir);
  if (folder.empty()) return uris;
  LilvWorld* world = lilv_world_new();
  LoadBundle(world, folder);
  const LilvPlugins* plugins = lilv_world_get_all_plugins(world);
  LILV_FOREACH(plugins, it, plugins) {
    uris.push_back(lilv_node_as_uri(lilv_plugin_get_uri(lilv_plugins_get(plugins, it))));
  }
  lilv_world_free(world);
  return uris;
}

void Lv2Host::Unload() {
  CloseUi();
  Deactivate();
  world_.reset();
  features_.reset();
  ports_.clear();
  controls_.clear();
  audio_.clear();
  atoms_.clear();
  atomInput_ = atomOutput_ = -1;
  left_.clear();
  right_.clear();
  outputMidi_.clear();
  outputFaulty_ = false;
}

void Lv2Host::ReadPorts() {
  const World& w = *world_;
  const std::uint32_t count = lilv_plugin_get_num_ports(w.plugin);
  ports_.assign(count, {});
  for (std::uint32_t i = 0; i < count; ++i) {
    const LilvPort* port = lilv_plugin_get_port_by_index(w.plugin, i);
    PortInfo& info = ports_[i];
    info.input = w.PortIs(port, w.inputPort);
    info.kind = w.PortIs(port, w.controlPort)                             ? PortInfo::kControl
                : w.PortIs(port, w.audioPort) || w.PortIs(port, w.cvPort) ? PortInfo::kAudio
                : w.PortIs(port, w.atomPort)                              ? PortInfo::kAtom
                                                                          : PortInfo::kOther;
    const LilvNode* symbol = lilv_port_get_symbol(w.plugin, port);
    info.symbol = symbol ? lilv_node_as_string(symbol) : "";
    info.name = TakeString(lilv_port_get_name(w.plugin, port));
    LilvNode *defaultValue = nullptr, *minimum = nullptr, *maximum = nullptr;
    lilv_port_get_range(w.plugin, port, &defaultValue, &minimum, &maximum);
    info.defaultValue = TakeFloat(defaultValue);
    info.minimum = TakeFloat(minimum);
    info.maximum = TakeFloat(maximum);
    info.integer = w.PortHas(port, w.integer);
    info.enumeration = w.PortHas(port, w.enumeration);
    LilvScalePoints* points = lilv_port_get_scale_points(w.plugin, port);
    LILV_FOREACH(scale_points, it, points) {
      const LilvScalePoint* point = lilv_scale_points_get(points, it);
      const LilvNode* label = lilv_scale_point_get_label(point);
      const LilvNode* value = lilv_scale_point_get_value(point);
      info.scalePoints.push_back(
          {label ? lilv_node_as_string(label) : "", value && (lilv_node_is_float(value) || lilv_node_is_int(value))
                                                        ? lilv_node_as_float(value)
                                                        : std::numeric_limits<float>::quiet_NaN()});
    }
    lilv_scale_points_free(points);
    std::stable_sort(info.scalePoints.begin(), info.scalePoints.end(),
                     [](const ScalePoint& a, const ScalePoint& b) { return a.value < b.value; });
  }
}

// Connects every port to its buffer, again whenever one of them moved.
void Lv2Host::ConnectPorts() {
  LilvInstance* instance = world_->instance;
  for (std::uint32_t i = 0; i < ports_.size(); ++i) {
    void* buffer = nullptr;
    switch (ports_[i].kind) {
      case PortInfo::kControl: buffer = &controls_[i]; break;
      case PortInfo::kAudio: buffer = audio_[i].data(); break;
      case PortInfo::kAtom: buffer = atoms_[i].storage.data(); break;
      case PortInfo::kOther: break;
    }
    lilv_instance_connect_port(instance, i, buffer);
  }
}

// -- the instance -----------------------------------------------------------------------------

std::string Lv2Host::PluginName() const { return world_ ? TakeString(lilv_plugin_get_name(world_->plugin)) : ""; }

const LV2_Descriptor* Lv2Host::Descriptor() const {
  return world_ && world_->instance ? lilv_instance_get_descriptor(world_->instance) : nullptr;
}

LV2_Handle Lv2Host::Handle() const {
  return world_ && world_->instance ? lilv_instance_get_handle(world_->instance) : nullptr;
}

const void* Lv2Host::ExtensionData(const char* uri) const {
  const LV2_Descriptor* descriptor = Descriptor();
  return descriptor && descriptor->extension_data ? descriptor->extension_data(uri) : nullptr;
}

std::uint32_t Lv2Host::Map(const std::string& uri) {
  std::lock_guard<std::mutex> lock(uridMutex_);
  auto found = urids_.find(uri);
  if (found != urids_.end()) return found->second;
  uris_.push_back(uri);
  const auto urid = static_cast<std::uint32_t>(uris_.size());
  urids_.emplace(uri, urid);
  return urid;
}

std::string Lv2Host::Unmap(std::uint32_t urid) const {
  std::lock_guard<std::mutex> lock(uridMutex_);
  return urid >= 1 && urid <= uris_.size() ? uris_[urid - 1] : "";
}

void Lv2Host::Log(std::uint32_t type, std::string text) {
  LogMessage message{Unmap(type), std::move(text)};
  std::lock_guard<std::mutex> lock(recordMutex_);
  logMessages_.push_back(std::move(message));
}

std::vector<LogMessage> Lv2Host::LogMessages() const {
  std::lock_guard<std::mutex> lock(recordMutex_);
  return logMessages_;
}

void Lv2Host::ClearLogMessages() {
  std::lock_guard<std::mutex> lock(recordMutex_);
  logMessages_.clear();
}

int Lv2Host::PortIndex(const std::string& symbol) const {
  for (std::size_t i = 0; i < ports_.size(); ++i)
    if (ports_[i].symbol == symbol) return static_cast<int>(i);
  return -1;
}

float* Lv2Host::Control(std::uint32_t portIndex) {
  return portIndex < ports_.size() && ports_[portIndex].kind == PortInfo::kControl ? &controls_[portIndex] : nullptr;
}

float* Lv2Host::Control(const std::string& symbol) {
  const int index = PortIndex(symbol);
  return index >= 0 ? Control(static_cast<std::uint32_t>(index)) : nullptr;
}

void Lv2Host::Activate() {
  if (active_ || !world_ || !world_->instance) return;
  lilv_instance_activate(world_->instance);
  active_ = true;
}

void Lv2Host::Deactivate() {
  if (!active_) return;
  lilv_instance_deactivate(world_->instance);
  active_ = false;
}

void Lv2Host::SetOutputCapacity(std::uint32_t bytes) {
  outputCapacity_ = std::max<std::uint32_t>(bytes, sizeof(LV2_Atom_Sequence));
  if (atomOutput_ < 0) return;
  AtomBuffer& output = atoms_[static_cast<std::size_t>(atomOutput_)];
  output.capacity = outputCapacity_;
  output.storage.assign((outputCapacity_ + kGuardBytes + 7) / 8, 0);
  ConnectPorts();
}

bool Lv2Host::Run(std::uint32_t frames, const std::vector<MidiEvent>& midi, const Position* position) {
  if (!active_) return false;
  bool moved = false;
  {
    InHost inHost;
    if (!WriteInput(midi, position)) return false;
    for (std::size_t i = 0; i < ports_.size(); ++i) {
      if (ports_[i].kind != PortInfo::kAudio || audio_[i].size() >= frames) continue;
      audio_[i].assign(frames, 0.0f);
      moved = true;
    }
  }
  if (moved) ConnectPorts();
  // An output sequence offers its room as an empty chunk, the guard after it.
  if (atomOutput_ >= 0) {
    AtomBuffer& output = atoms_[static_cast<std::size_t>(atomOutput_)];
    auto* bytes = reinterpret_cast<std::uint8_t*>(output.storage.data());
    std::memset(bytes + output.capacity, kGuardByte, kGuardBytes);
    *reinterpret_cast<LV2_Atom*>(bytes) = {output.capacity - static_cast<std::uint32_t>(sizeof(LV2_Atom)),
                                           features_->atomChunk};
  }

  lilv_instance_run(world_->instance, frames);

  InHost inHost;
  left_.assign(frames, 0.0);
  right_.assign(frames, 0.0);
  int outputs = 0;
  for (std::size_t i = 0; i < ports_.size() && outputs < 2; ++i) {
    if (ports_[i].kind != PortInfo::kAudio || ports_[i].input) continue;
    std::vector<double>& out = outputs++ == 0 ? left_ : right_;
    std::copy(audio_[i].begin(), audio_[i].begin() + frames, out.begin());
  }
  ReadOutput();
  return true;
}

// The MIDI messages and the position as a host's atom input sequence.
bool Lv2Host::WriteInput(const std::vector<MidiEvent>& midi, const Position* position) {
  if (atomInput_ < 0) return midi.empty() && !position;
  Features& f = *features_;
  LV2_Atom_Forge& forge = f.forge;
  AtomBuffer& input = atoms_[static_cast<std::size_t>(atomInput_)];
  lv2_atom_forge_set_buffer(&forge, reinterpret_cast<std::uint8_t*>(input.storage.data()), input.capacity);
  LV2_Atom_Forge_Frame sequence;
  if (!lv2_atom_forge_sequence_head(&forge, &sequence, 0)) return false;
  auto writePosition = [&] {
    LV2_Atom_Forge_Frame object;
    const bool written =
        lv2_atom_forge_frame_time(&forge, position->offset) && lv2_atom_forge_object(&forge, &object, 0, f.position);
    if (!written) return false;
    const bool complete =
        lv2_atom_forge_key(&forge, f.frame) && lv2_atom_forge_long(&forge, position->frame) &&
        lv2_atom_forge_key(&forge, f.speed) && lv2_atom_forge_float(&forge, position->speed) &&
        lv2_atom_forge_key(&forge, f.bar) && lv2_atom_forge_long(&forge, position->bar) &&
        lv2_atom_forge_key(&forge, f.barBeat) && lv2_atom_forge_float(&forge, position->barBeat) &&
        lv2_atom_forge_key(&forge, f.beatUnit) && lv2_atom_forge_int(&forge, position->beatUnit) &&
        lv2_atom_forge_key(&forge, f.beatsPerBar) && lv2_atom_forge_float(&forge, position->beatsPerBar) &&
        lv2_atom_forge_key(&forge, f.beatsPerMinute) && lv2_atom_forge_float(&forge, position->beatsPerMinute);
    lv2_atom_forge_pop(&forge, &object);
    return complete;
  };
  bool positionWritten = position == nullptr;
  for (const MidiEvent& event : midi) {
    if (!positionWritten && event.frame >= position->offset) {
      if (!writePosition()) return false;
      positionWritten = true;
    }
    const auto size = static_cast<std::uint32_t>(event.bytes.size());
    if (!lv2_atom_forge_frame_time(&forge, event.frame) || !lv2_atom_forge_atom(&forge, size, f.midiEvent) ||
        !lv2_atom_forge_write(&forge, event.bytes.data(), size))
      return false;
  }
  if (!positionWritten && !writePosition()) return false;
  lv2_atom_forge_pop(&forge, &sequence);
  return forge.offset <= forge.size;
}

// The MIDI events of the atom output, each checked to lie inside what the
// plug-in may write.
void Lv2Host::ReadOutput() {
  outputMidi_.clear();
  outputFaulty_ = false;
  if (atomOutput_ < 0) return;
  const AtomBuffer& output = atoms_[static_cast<std::size_t>(atomOutput_)];
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(output.storage.data());
  for (std::uint32_t i = 0; i < kGuardBytes; ++i)
    if (bytes[output.capacity + i] != kGuardByte) outputFaulty_ = true;
  const auto& atom = *reinterpret_cast<const LV2_Atom*>(bytes);
  if (atom.type == features_->atomChunk) return;  // the plug-in wrote no sequence
  const std::size_t end = sizeof(LV2_Atom) + std::size_t{atom.size};
  if (atom.type != features_->atomSequence || atom.size < sizeof(LV2_Atom_Sequence_Body) || end > output.capacity) {
    outputFaulty_ = true;
    return;
  }
  std::size_t offset = sizeof(LV2_Atom_Sequence);
  while (offset < end) {
    if (offset + sizeof(LV2_Atom_Event) > end) {
      outputFaulty_ = true;
      return;
    }
    const auto& event = *reinterpret_cast<const LV2_Atom_Event*>(bytes + offset);
    const std::size_t body = offset + sizeof(LV2_Atom_Event);
    if (body + event.body.size > end || event.time.frames < 0) {
      outputFaulty_ = true;
      return;
    }
    if (event.body.type == features_->midiEvent)
      outputMidi_.push_back({static_cast<std::uint32_t>(event.time.frames),
                             std::vector<std::uint8_t>(bytes + body, bytes + body + event.body.size)});
    offset = body + lv2_atom_pad_size(event.body.size);
  }
}

// -- state and presets ------------------------------------------------------------------------

bool Lv2Host::SaveState(std::string* text) {
  if (!world_ || !world_->instance || !text) return false;
  Features& f = *features_;
  LilvState* state = lilv_state_new_from_instance(world_->plugin, world_->instance, &f.map, nullptr, nullptr, nullptr,
                                                  nullptr, &Features::GetPortValue, this, kStateFlags, f.plugin.data());
  if (!state) return false;
  char* turtle = lilv_state_to_string(world_->world, &f.map, &f.unmap, state, kStateUri, nullptr);
  lilv_state_free(state);
  if (!turtle) return false;
  *text = turtle;
  lilv_free(turtle);
  return true;
}

bool Lv2Host::RestoreState(const std::string& text) {
  if (!world_ || !world_->instance) return false;
  Features& f = *features_;
  LilvState* state = lilv_state_new_from_string(world_->world, &f.map, text.c_str());
  if (!state) return false;
  lilv_state_restore(state, world_->instance, &Features::SetPortValue, this, 0, f.plugin.data());
  lilv_state_free(state);
  return true;
}

int Lv2Host::SaveRaw(std::vector<StateValue>* values) {
  const auto* state = static_cast<const LV2_State_Interface*>(ExtensionData(LV2_STATE__interface));
  if (!state || !state->save || !values) return -1;
  values->clear();
  Features::RawSave save{this, values};
  return state->save(Handle(), &Features::Store, &save, kStateFlags, features_->plugin.data());
}

int Lv2Host::RestoreRaw(const std::string& key, const std::string& type, const std::vector<std::uint8_t>& value) {
  const auto* state = static_cast<const LV2_State_Interface*>(ExtensionData(LV2_STATE__interface));
  if (!state || !state->restore) return -1;
  Features::RawValue raw{Map(key), Map(type), &value};
  return state->restore(Handle(), &Features::Retrieve, &raw, kStateFlags, features_->plugin.data());
}

// A port value from a state or a preset: lilv hands each number with a type
// of its own choosing (a float, an int for a whole number in a preset), so
// every numeric atom type is read.
void Lv2Host::SetPortValue(const char* symbol, const void* value, std::uint32_t size, std::uint32_t type) {
  const Features& f = *features_;
  float* control = symbol ? Control(symbol) : nullptr;
  const int index = symbol ? PortIndex(symbol) : -1;
  if (!control || !ports_[static_cast<std::size_t>(index)].input || !value) {
    ++unappliedPortValues_;
    return;
  }
  if (type == f.atomFloat && size == sizeof(float)) {
    std::memcpy(control, value, sizeof(float));
  } else if (type == f.atomDouble && size == sizeof(double)) {
    double number;
    std::memcpy(&number, value, sizeof number);
    *control = static_cast<float>(number);
  } else if ((type == f.atomInt || type == f.atomBool) && size == sizeof(std::int32_t)) {
    std::int32_t number;
    std::memcpy(&number, value, sizeof number);
    *control = static_cast<float>(number);
  } else if (type == f.atomLong && size == sizeof(std::int64_t)) {
    std::int64_t number;
    std::memcpy(&number, value, sizeof number);
    *control = static_cast<float>(number);
  } else {
    ++unappliedPortValues_;
  }
}

std::vector<Preset> Lv2Host::Presets() {
  std::vector<Preset> presets;
  if (!world_) return presets;
  World& w = *world_;
  LilvNodes* related = lilv_plugin_get_related(w.plugin, w.preset.get());
  LILV_FOREACH(nodes, it, related) {
    const LilvNode* preset = lilv_nodes_get(related, it);
    lilv_world_load_resource(w.world, preset);
    LilvNodes* labels = lilv_world_find_nodes(w.world, preset, w.label.get(), nullptr);
    const LilvNode* label = labels ? lilv_nodes_get_first(labels) : nullptr;
    presets.push_back({lilv_node_as_uri(preset), label ? lilv_node_as_string(label) : ""});
    lilv_nodes_free(labels);
  }
  lilv_nodes_free(related);
  std::sort(presets.begin(), presets.end(), [](const Preset& a, const Preset& b) { return a.uri < b.uri; });
  return presets;
}

bool Lv2Host::LoadPreset(const std::string& presetUri) {
  if (!world_ || !world_->instance) return false;
  World& w = *world_;
  Node preset = w.Uri(presetUri.c_str());
  if (!preset) return false;
  lilv_world_load_resource(w.world, preset.get());
  if (!lilv_world_ask(w.world, preset.get(), w.type.get(), w.preset.get())) return false;
  LilvState* state = lilv_state_new_from_world(w.world, &features_->map, preset.get());
  if (!state) return false;
  lilv_state_restore(state, w.instance, &Features::SetPortValue, this, 0, features_->plugin.data());
  lilv_state_free(state);
  return true;
}

// -- the UI -----------------------------------------------------------------------------------

std::vector<UiInfo> Lv2Host::Uis() const {
  std::vector<UiInfo> found;
  if (!world_) return found;
  LilvUIs* uis = lilv_plugin_get_uis(world_->plugin);
  LILV_FOREACH(uis, it, uis) {
    const LilvUI* ui = lilv_uis_get(uis, it);
    found.push_back({lilv_node_as_uri(lilv_ui_get_uri(ui)), lilv_ui_is_a(ui, world_->x11Ui.get())});
  }
  lilv_uis_free(uis);
  return found;
}

bool Lv2Host::OpenUi(unsigned long parentWindow, std::string* error) {
  CloseUi();
  auto fail = [&](const std::string& why) {
    CloseUi();
    if (error) *error = why;
    return false;
  };
  if (!world_ || !world_->instance) return fail("no instance");
  World& w = *world_;
  const LilvUI* found = nullptr;
  LilvUIs* uis = lilv_plugin_get_uis(w.plugin);
  LILV_FOREACH(uis, it, uis) {
    const LilvUI* ui = lilv_uis_get(uis, it);
    if (!found && lilv_ui_is_a(ui, w.x11Ui.get())) found = ui;
  }
  if (!found) {
    lilv_uis_free(uis);
    return fail("the plug-in has no X11 UI");
  }
  const std::string uiUri = lilv_node_as_uri(lilv_ui_get_uri(found));
  const std::string binary = PathOf(lilv_ui_get_binary_uri(found));
  const std::string bundle = PathOf(lilv_ui_get_bundle_uri(found));
  lilv_uis_free(uis);
  if (binary.empty()) return fail("the UI " + uiUri + " names no local binary");

  std::string why;
  uiLibrary_ = platform::OpenLibrary(binary, &why);
  if (!uiLibrary_.handle) return fail("cannot load the UI binary '" + binary + "': " + why);
  auto descriptors = reinterpret_cast<LV2UI_DescriptorFunction>(platform::FindSymbol(uiLibrary_, "lv2ui_descriptor"));
  if (!descriptors) return fail("'" + binary + "' has no lv2ui_descriptor");
  for (std::uint32_t i = 0; i < kMostUiDescriptors && !uiDescriptor_; ++i) {
    const LV2UI_Descriptor* descriptor = descriptors(i);
    if (!descriptor) break;
    if (descriptor->URI && uiUri == descriptor->URI) uiDescriptor_ = descriptor;
  }
  if (!uiDescriptor_) return fail("'" + binary + "' lists no UI " + uiUri);
  if (!uiDescriptor_->instantiate) return fail("the UI " + uiUri + " has no instantiate");

  Features& f = *features_;
  f.parentFeature = {LV2_UI__parent, reinterpret_cast<void*>(static_cast<std::uintptr_t>(parentWindow))};
  f.instanceFeature = {LV2_INSTANCE_ACCESS_URI, lilv_instance_get_handle(w.instance)};
  f.resizeFeature = {LV2_UI__resize, &f.resize};
  f.idleFeature = {LV2_UI__idleInterface, nullptr};
  f.ui = {&f.parentFeature, &f.instanceFeature, &f.mapFeature, &f.unmapFeature,
          &f.logFeature,    &f.resizeFeature,   &f.idleFeature};
  if (offerOptions_) {
    int next = 0;
    for (; f.options[next].key != 0; ++next) f.uiOptions[next] = f.options[next];
    f.uiScale = uiScale_;
    if (uiScale_ > 0)
      f.uiOptions[next++] = {LV2_OPTIONS_INSTANCE, 0, Map(LV2_UI__scaleFactor), sizeof(float), f.atomFloat, &f.uiScale};
    f.uiOptions[next] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
    f.uiOptionsFeature = {LV2_OPTIONS__options, f.uiOptions};
    f.ui.push_back(&f.uiOptionsFeature);
  }
  f.ui.push_back(nullptr);

  LV2UI_Widget widget = nullptr;
  const std::string pluginUri = lilv_node_as_uri(lilv_plugin_get_uri(w.plugin));
  uiHandle_ = uiDescriptor_->instantiate(uiDescriptor_, pluginUri.c_str(), bundle.c_str(), &Features::Write, this,
                                         &widget, f.ui.data());
  if (!uiHandle_) return fail("the UI " + uiUri + " refused to instantiate");
  uiWidget_ = static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(widget));
  if (uiDescriptor_->extension_data)
    uiIdle_ = static_cast<const LV2UI_Idle_Interface*>(uiDescriptor_->extension_data(LV2_UI__idleInterface));
  return true;
}

void Lv2Host::CloseUi() {
  if (uiHandle_ && uiDescriptor_->cleanup) uiDescriptor_->cleanup(uiHandle_);
  uiHandle_ = nullptr;
  uiDescriptor_ = nullptr;
  uiIdle_ = nullptr;
  uiWidget_ = 0;
  if (uiLibrary_.handle) platform::CloseLibrary(uiLibrary_);
}

int Lv2Host::UiIdle() {
  if (!uiHandle_ || !uiIdle_ || !uiIdle_->idle) return -1;
  return uiIdle_->idle(uiHandle_);
}

void Lv2Host::NotifyUi(std::uint32_t port, float value) {
  if (uiHandle_ && uiDescriptor_->port_event) uiDescriptor_->port_event(uiHandle_, port, sizeof value, 0, &value);
}

void Lv2Host::RecordUiWrite(std::uint32_t port, std::uint32_t size, std::uint32_t protocol, const void* buffer) {
  const bool onUiThread = std::this_thread::get_id() == uiThread_;
  if (!onUiThread) ++offUiThread_;
  UiWrite write{port, size, protocol, 0.0f, onUiThread};
  if (protocol == 0 && size == sizeof(float) && buffer) {
    std::memcpy(&write.value, buffer, sizeof(float));
    // The host's own control value follows, as it would reach the next run.
    if (onUiThread && port < ports_.size() && ports_[port].kind == PortInfo::kControl && ports_[port].input)
      controls_[port] = write.value;
  }
  std::lock_guard<std::mutex> lock(recordMutex_);
  uiWrites_.push_back(write);
}

void Lv2Host::RecordResize(int width, int height) {
  if (std::this_thread::get_id() != uiThread_) ++offUiThread_;
  std::lock_guard<std::mutex> lock(recordMutex_);
  resizeRequests_.push_back({width, height});
}

std::vector<UiWrite> Lv2Host::UiWrites() const {
  std::lock_guard<std::mutex> lock(recordMutex_);
  return uiWrites_;
}

void Lv2Host::ClearUiWrites() {
  std::lock_guard<std::mutex> lock(recordMutex_);
  uiWrites_.clear();
}

std::vector<UiSize> Lv2Host::ResizeRequests() const {
  std::lock_guard<std::mutex> lock(recordMutex_);
  return resizeRequests_;
}

bool Lv2Host::InCallback() { return tCallbackDepth > 0; }

}  // namespace lv2host
