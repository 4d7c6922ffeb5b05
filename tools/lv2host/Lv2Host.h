// A small LV2 host: loads one plug-in from one bundle folder through lilv (a
// world that knows that bundle alone), instantiates it with the features a
// host gives, connects every port to buffers of its own and drives the
// instance, its state, its presets and its X11 UI only through the LV2
// interfaces, recording what the plug-in and the UI ask of the host. Used by
// the tests that load the LV2 plug-in. Linux only.
//
// Every call into the plug-in or the UI is made on the thread that calls the
// host; the thread that called Load is the host's UI/main thread, Run stands
// for its audio thread.
#pragma once

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/DynamicLibrary.h"

namespace lv2host {

// A MIDI message at a frame offset of one block (input or output).
struct MidiEvent {
  std::uint32_t frame = 0;
  std::vector<std::uint8_t> bytes;
};

// A time:Position object at a frame offset of one block, with every field
// (each of the type hosts write it with).
struct Position {
  std::uint32_t offset = 0;
  float beatsPerMinute = 120;
  std::int64_t bar = 0;
  float barBeat = 0;
  float beatsPerBar = 4;
  std::int32_t beatUnit = 4;
  float speed = 1;         // 0 when the transport stands
  std::int64_t frame = 0;  // the transport's position in frames
};

struct ScalePoint {
  std::string label;
  float value = 0;
};

// A port as the bundle describes it.
struct PortInfo {
  enum Kind { kControl, kAudio, kAtom, kOther };
  Kind kind = kOther;
  bool input = false;
  std::string symbol;
  std::string name;
  // NaN where the bundle gives none.
  float minimum = std::numeric_limits<float>::quiet_NaN();
  float maximum = std::numeric_limits<float>::quiet_NaN();
  float defaultValue = std::numeric_limits<float>::quiet_NaN();
  bool integer = false;
  bool enumeration = false;
  std::vector<ScalePoint> scalePoints;  // in value order
};

struct Preset {
  std::string uri;
  std::string label;  // empty when the bundle gives none
};

// A UI the bundle lists for the plug-in.
struct UiInfo {
  std::string uri;
  bool x11 = false;  // a ui:X11UI, the kind this host opens
};

// A message the plug-in or its UI logged; `type` is the log URI
// (http://lv2plug.in/ns/ext/log#Error, #Warning, #Note, #Trace or another).
struct LogMessage {
  std::string type;
  std::string text;
};

// One call of the UI's write function. A float to a control input port
// (protocol 0, size 4) on the UI thread also set that port, as a host does.
struct UiWrite {
  std::uint32_t port = 0;
  std::uint32_t size = 0;
  std::uint32_t protocol = 0;
  float value = 0;  // the float written, when size is 4 and protocol 0
  bool onUiThread = true;
};

struct UiSize {
  int width = 0;
  int height = 0;
};

// A property the plug-in's state save stored, as it stored it.
struct StateValue {
  std::string key;
  std::string type;
  std::vector<std::uint8_t> bytes;
  std::uint32_t flags = 0;
};

class Lv2Host {
 public:
  Lv2Host();
  ~Lv2Host();  // Unload
  Lv2Host(const Lv2Host&) = delete;
  Lv2Host& operator=(const Lv2Host&) = delete;

  // Settings for the next Load. The options feature (the block lengths and
  // the rate) is offered unless told otherwise.
  void OfferOptions(bool offer) { offerOptions_ = offer; }
  void SetSampleRate(double rate) { sampleRate_ = rate; }
  void SetBlockLengths(std::uint32_t maxBlockLength, std::uint32_t nominalBlockLength);

  // The plug-ins the bundle folder alone describes, in lilv's order; none
  // when it is no bundle.
  static std::vector<std::string> PluginUris(const std::string& bundleDir);

  // Loads the bundle folder alone into a world of its own, finds the plug-in
  // `pluginUri` in it, instantiates it and connects every port, control
  // inputs at their defaults; false with a one-line reason.
  bool Load(const std::string& bundleDir, const std::string& pluginUri, std::string* error);
  // Closes the UI, deactivates and frees the instance and the world.
  void Unload();

  // The plug-in's doap:name, empty when it has none.
  std::string PluginName() const;

  // The instance, for calls the host has no helper for.
  const LV2_Descriptor* Descriptor() const;
  LV2_Handle Handle() const;
  const void* ExtensionData(const char* uri) const;  // null without an instance

  // The host's URID map.
  std::uint32_t Map(const std::string& uri);
  std::string Unmap(std::uint32_t urid) const;  // empty for an id never given

  // What the plug-in and its UI logged.
  std::vector<LogMessage> LogMessages() const;
  void ClearLogMessages();

  // Ports by index, as the bundle lists them.
  std::uint32_t PortCount() const { return static_cast<std::uint32_t>(ports_.size()); }
  const PortInfo& Port(std::uint32_t index) const { return ports_.at(index); }
  int PortIndex(const std::string& symbol) const;  // -1 when no port has it
  // The value a control port is connected to; null for any other port.
  float* Control(std::uint32_t portIndex);
  float* Control(const std::string& symbol);

  void Activate();
  void Deactivate();
  bool Active() const { return active_; }

  // One run of `frames` frames (any number, also beyond the maximum block
  // length) with these MIDI messages, in the order given, in the atom input,
  // and a time:Position before the first message at or after its offset.
  // Refused without a call when the instance is not active or the events do
  // not fit the input sequence.
  bool Run(std::uint32_t frames, const std::vector<MidiEvent>& midi = {}, const Position* position = nullptr);
  // The first and second audio outputs of the last run.
  const std::vector<double>& Left() const { return left_; }
  const std::vector<double>& Right() const { return right_; }
  // The MIDI events of the atom output of the last run, in their order.
  const std::vector<MidiEvent>& OutputMidi() const { return outputMidi_; }
  // The bytes the atom output offers the plug-in, its header included
  // (64 KiB unless told otherwise).
  void SetOutputCapacity(std::uint32_t bytes);
  // True when the plug-in wrote past the output's capacity in the last run,
  // or left a sequence that does not parse.
  bool OutputFaulty() const { return outputFaulty_; }

  // State through lilv, as a host's session keeps it: the instance's
  // properties and the control port values, saved as Turtle text, and that
  // text restored (the port values through the host's set_value). lilv's
  // restore reports nothing back: true when the text was read and restored.
  bool SaveState(std::string* text);
  bool RestoreState(const std::string& text);
  // The state interface called directly: the save's stored properties, and
  // a restore whose retrieve hands out `value` for `key` (with POD and
  // portable flags) and nothing for any other key. The LV2_State_Status the
  // plug-in returned; -1 when it has no state interface.
  int SaveRaw(std::vector<StateValue>* values);
  int RestoreRaw(const std::string& key, const std::string& type, const std::vector<std::uint8_t>& value);

  // The presets of the bundle that apply to the plug-in, by URI, and one of
  // them applied through lilv as a host applies it (its port values written
  // to the control ports). False for a URI that names no preset state.
  std::vector<Preset> Presets();
  bool LoadPreset(const std::string& presetUri);
  // Port values a state or preset restore handed the host that named no
  // control input or had a type the host cannot read as a number.
  int UnappliedPortValues() const { return unappliedPortValues_; }

  // The UIs the bundle lists for the plug-in.
  std::vector<UiInfo> Uis() const;
  // How the host answers the UI's ui:resize calls: granted (0, the default)
  // or refused (non-zero).
  void SetResizeAnswer(bool grant) { grantsResize_ = grant; }
  // The ui:scaleFactor option the next UI is given among the options (0: none).
  void SetUiScale(float factor) { uiScale_ = factor; }
  // The plug-in's X11 UI in `parentWindow`, its binary opened and its
  // descriptor found by URI; false, with no UI left, when there is none or
  // it refuses.
  bool OpenUi(unsigned long parentWindow, std::string* error = nullptr);
  void CloseUi();
  bool UiOpen() const { return uiHandle_ != nullptr; }
  // The widget the UI handed back (its X11 window).
  unsigned long UiWidget() const { return uiWidget_; }
  // One call of the UI's idle interface: its answer (non-zero once the UI
  // wants to close), -1 when no UI is open.
  int UiIdle();
  // A port's value to the UI's port_event, as a host passes on a change.
  void NotifyUi(std::uint32_t port, float value);
  std::vector<UiWrite> UiWrites() const;
  void ClearUiWrites();
  // The sizes the UI asked for through ui:resize, whatever the answer.
  std::vector<UiSize> ResizeRequests() const;
  // Calls of the write function or the resize feature not made on the UI thread.
  int OffUiThreadCalls() const { return offUiThread_.load(); }

  // True while the calling thread is inside one of the host's callbacks or
  // the host's own work around a run (filling the input, reading the
  // output): a watch of what a plug-in does on its audio thread leaves them
  // out.
  static bool InCallback();

 private:
  struct World;
  struct Features;
  struct AtomBuffer {
    std::vector<std::uint64_t> storage;  // 8-byte aligned, as atoms want
    std::uint32_t capacity = 0;          // bytes offered, the guard after it
  };

  bool Fail(const std::string& why, std::string* error);
  void ReadPorts();
  void ConnectPorts();
  bool WriteInput(const std::vector<MidiEvent>& midi, const Position* position);
  void ReadOutput();
  void SetPortValue(const char* symbol, const void* value, std::uint32_t size, std::uint32_t type);
  void RecordUiWrite(std::uint32_t port, std::uint32_t size, std::uint32_t protocol, const void* buffer);
  void RecordResize(int width, int height);
  void Log(std::uint32_t type, std::string text);

  bool offerOptions_ = true;
  bool grantsResize_ = true;
  float uiScale_ = 0;
  double sampleRate_ = 48000;
  std::uint32_t maxBlockLength_ = 512;
  std::uint32_t nominalBlockLength_ = 512;
  std::thread::id uiThread_;

  std::unique_ptr<World> world_;
  std::unique_ptr<Features> features_;
  bool active_ = false;

  std::vector<PortInfo> ports_;
  std::vector<float> controls_;  // one per port, sized once at Load: ports hold pointers into it
  std::vector<std::vector<float>> audio_;
  std::vector<AtomBuffer> atoms_;
  int atomInput_ = -1, atomOutput_ = -1;
  std::uint32_t outputCapacity_ = 64 * 1024;
  std::vector<double> left_, right_;
  std::vector<MidiEvent> outputMidi_;
  bool outputFaulty_ = false;
  int unappliedPortValues_ = 0;

  // The URID map, which the plug-in and the UI may call on any thread; a
  // deque keeps every URI where unmap's answer points.
  mutable std::mutex uridMutex_;
  std::unordered_map<std::string, std::uint32_t> urids_;
  std::deque<std::string> uris_;

  platform::DynamicLibrary uiLibrary_;
  const LV2UI_Descriptor* uiDescriptor_ = nullptr;
  LV2UI_Handle uiHandle_ = nullptr;
  const LV2UI_Idle_Interface* uiIdle_ = nullptr;
  unsigned long uiWidget_ = 0;

  mutable std::mutex recordMutex_;
  std::vector<LogMessage> logMessages_;
  std::vector<UiWrite> uiWrites_;
  std::vector<UiSize> resizeRequests_;
  std::atomic<int> offUiThread_{0};
};

}  // namespace lv2host
