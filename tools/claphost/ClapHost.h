// A small CLAP host: loads one plug-in file through its entry, creates one
// instance, and drives it only through the interface, recording what the
// instance asks of the host. Used by the tests that load the CLAP plug-in.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "clap/ClapAbi.h"
#include "platform/DynamicLibrary.h"

namespace claphost {

// One event for a process or flush call, stored whole.
struct Event {
  std::vector<std::uint8_t> bytes;
  const clap::clap_event_header& Header() const {
    return *reinterpret_cast<const clap::clap_event_header*>(bytes.data());
  }
};
Event NoteOn(std::uint32_t time, int key, double velocity, int channel = 0);
Event NoteOff(std::uint32_t time, int key, double velocity = 0, int channel = 0);
Event Midi(std::uint32_t time, std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
Event ParamValue(std::uint32_t time, clap::clap_id id, double value);

// A size the instance asked of the host's window.
struct GuiSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

class ClapHost {
 public:
  ClapHost();
  ~ClapHost();  // deactivates and destroys the instance, then unloads the file
  ClapHost(const ClapHost&) = delete;
  ClapHost& operator=(const ClapHost&) = delete;

  // Whether the host offers timers and watched descriptors (it does unless
  // told otherwise before Load).
  void OfferEditorLoop(bool offer) { offerEditorLoop_ = offer; }
  // How the host answers the editor's request_resize: granted (the default)
  // or refused. A host that grants may first pass the size to the editor's
  // set_size, inside the request, as some hosts do.
  void SetResizeAnswer(bool grant, bool setSizeBack = false) {
    grantsResize_ = grant;
    setsSizeBack_ = setSizeBack;
  }

  // Loads the file, initialises its entry, creates and initialises the
  // plug-in with `id` (the first the factory lists when empty); false with
  // a one-line reason.
  bool Load(const std::string& path, std::string* error, const std::string& id = "");
  // The same for an entry already in this process (a plug-in linked in).
  bool Attach(const clap::clap_plugin_entry* entry, const std::string& path, std::string* error,
              const std::string& id = "");
  const clap::clap_plugin* Plugin() const { return plugin_; }
  const clap::clap_plugin_factory* Factory() const { return factory_; }
  // Another factory of the module's entry, or null.
  const void* EntryFactory(const char* id) const { return entry_ ? entry_->get_factory(id) : nullptr; }
  template <typename Extension>
  const Extension* PluginExtension(const char* id) const {
    return plugin_ ? static_cast<const Extension*>(plugin_->get_extension(plugin_, id)) : nullptr;
  }

  bool Activate(double rate, std::uint32_t maxFrames);
  void Deactivate();

  // One process call of `frames` frames with these events, into 32- or
  // 64-bit buffers; the output is kept in Left() and Right().
  clap::clap_process_status Process(std::uint32_t frames, const std::vector<Event>& events = {},
                                    bool doublePrecision = false,
                                    const clap::clap_event_transport* transport = nullptr);
  // A parameter flush with these events.
  void Flush(const std::vector<Event>& events = {});
  const std::vector<double>& Left() const { return left_; }
  const std::vector<double>& Right() const { return right_; }
  // What the instance pushed as output events in the last call, whole.
  const std::vector<Event>& Output() const { return output_; }

  // Parameters by the extension.
  std::uint32_t ParamCount() const;
  bool ParamInfo(std::uint32_t index, clap::clap_param_info* info) const;
  double ParamValue(clap::clap_id id) const;
  std::string ValueToText(clap::clap_id id, double value) const;
  bool TextToValue(clap::clap_id id, const std::string& text, double* value) const;

  // State by the extension; a save into `bytes` taken `chunk` bytes at a time.
  bool SaveState(std::vector<std::uint8_t>* bytes, std::uint64_t chunk = UINT64_MAX) const;
  bool LoadState(const std::vector<std::uint8_t>& bytes, std::uint64_t chunk = UINT64_MAX) const;

  // What the instance asked of the host.
  int Rescans() const { return rescans_.load(); }
  int FlushRequests() const { return flushRequests_.load(); }
  int CallbackRequests() const { return callbackRequests_.load(); }
  int DirtyMarks() const { return dirtyMarks_.load(); }
  // The sizes the editor asked for, whatever the answer.
  std::vector<GuiSize> ResizeRequests() const;
  // Calls made on a thread the interface does not allow for them.
  int WrongThreadCalls() const { return wrongThread_.load(); }
  // True while the calling thread is inside one of the host's calls: a
  // watch of what a plug-in does on its audio thread leaves them out.
  static bool InCallback();

  // Runs the main-thread callback the instance asked for, if it did.
  void RunMainThreadCallback();
  // The timers and descriptors the instance registered, still registered.
  int Timers() const { return static_cast<int>(timers_.size()); }
  int Descriptors() const { return static_cast<int>(descriptors_.size()); }
  // One turn of the host's event loop: every registered timer fires and
  // every registered descriptor is reported readable.
  void RunEventLoopOnce();

 private:
  static const void* HostExtension(const clap::clap_host* host, const char* id);
  static ClapHost* From(const clap::clap_host* host) { return static_cast<ClapHost*>(host->host_data); }
  void CheckMainThread();
  bool RequestResize(std::uint32_t width, std::uint32_t height);

  platform::DynamicLibrary library_;
  const clap::clap_plugin_entry* entry_ = nullptr;
  bool entryInitialised_ = false;
  const clap::clap_plugin_factory* factory_ = nullptr;
  const clap::clap_plugin* plugin_ = nullptr;
  clap::clap_host host_{};
  std::thread::id mainThread_;
  bool active_ = false;
  std::uint32_t maxFrames_ = 0;
  std::int64_t steadyTime_ = 0;
  std::vector<double> left_, right_;
  std::vector<float> left32_, right32_;
  std::vector<Event> output_;
  struct Timer {
    clap::clap_id id;
    std::uint32_t period;
  };
  std::vector<Timer> timers_;
  std::vector<int> descriptors_;
  clap::clap_id nextTimer_ = 1;
  bool offerEditorLoop_ = true;
  bool grantsResize_ = true;
  bool setsSizeBack_ = false;
  // request_resize may be called on any thread.
  mutable std::mutex resizeMutex_;
  std::vector<GuiSize> resizeRequests_;
  std::atomic<int> rescans_{0}, flushRequests_{0}, callbackRequests_{0}, dirtyMarks_{0}, wrongThread_{0};
};

}  // namespace claphost
