// Kestrion as a CLAP plug-in: the plug-in record the host holds, its
// extensions (ports, parameters, state), the process call and the requests
// sent back to the host. It owns the instrument and is the only code that
// knows the CLAP interface.
//
// Threads, as the interface assigns them: lifecycle, parameter queries and
// state on the host's main thread; start/stop, reset, process and (while
// active) flush on its audio thread. The instrument's own guarantees make the
// audio path lock-free; this adapter adds only hand-offs: edits made on the
// main thread wait in a ring until the next process or flush turns them into
// output events.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "clap/ClapAbi.h"
#include "instrument/HostLink.h"
#include "instrument/Kestrion.h"
#include "instrument/panel/PanelEditor.h"
#include "plugin/HandOffRing.h"
#include "ui/EditorWindow.h"

class ClapPlugin final : public HostLink {
 public:
  // The plug-in's identity as hosts list it.
  static const clap::clap_plugin_descriptor kDescriptor;

  // Any thread (the factory's create). Makes no host call; throws when the
  // instrument cannot be made. `makeEditor` makes the editor's window (the
  // system's when null).
  ClapPlugin(const clap::clap_host* host, EditorFactory makeEditor);
  ~ClapPlugin() override;
  ClapPlugin(const ClapPlugin&) = delete;
  ClapPlugin& operator=(const ClapPlugin&) = delete;

  const clap::clap_plugin* Record() const { return &plugin_; }
  static ClapPlugin* From(const clap::clap_plugin* plugin) {
    return plugin ? static_cast<ClapPlugin*>(plugin->plugin_data) : nullptr;
  }

  // HostLink.
  void BeginEdit(int index) override;
  void PerformEdit(int index, double normalised) override;
  void EndEdit(int index) override;
  void ProgramListChanged() override;
  bool SendMidi(const MidiEvent& event) override;
  void ReadTransport(HostTimeInfo& info) override;

  // The largest block accepted at activation; a host asking for more gets
  // its blocks rendered in pieces of this size.
  static constexpr std::uint32_t kMaxBlockSize = 1 << 16;
  // A state larger than this is refused without reading it whole.
  static constexpr std::uint64_t kMaxStateSize = 16 << 20;

  // -- parameter values as the host sees them (ClapParams.cpp) ----------------
  // Continuous parameters are normalised, 0–1, as in the other formats'
  // automation; switches and numbers are their own values, stepped.
  static bool IsStepped(const EffectParameter& parameter);
  static double HostValueOf(const EffectParameter& parameter, double value);
  static double ValueOfHost(const EffectParameter& parameter, double hostValue);

 private:
  // An edit on its way to the host's output events.
  struct Edit {
    std::uint16_t type;  // gesture begin, value or gesture end
    clap::clap_id index;
    double value;  // the host's value, for a value event
  };

  // Whether the calling thread is inside this instance's process or flush.
  bool InProcess() const { return processing_ == this; }
  // An edit for the host: at once inside a process or flush, else through
  // the ring and a flush request.
  void QueueEdit(const Edit& edit);
  static void PushEdit(const Edit& edit, const clap::clap_output_events* out, std::uint32_t flags);

  // The plug-in record's calls (ClapPlugin.cpp).
  static bool Init(const clap::clap_plugin* plugin);
  static void Destroy(const clap::clap_plugin* plugin);
  static bool Activate(const clap::clap_plugin* plugin, double rate, std::uint32_t minFrames, std::uint32_t maxFrames);
  static void Deactivate(const clap::clap_plugin* plugin);
  static bool StartProcessing(const clap::clap_plugin* plugin);
  static void StopProcessing(const clap::clap_plugin* plugin);
  static void Reset(const clap::clap_plugin* plugin);
  static const void* GetExtension(const clap::clap_plugin* plugin, const char* id);
  static void OnMainThread(const clap::clap_plugin* plugin);
  template <typename Extension>
  const Extension* HostExtension(const char* id) const {
    if (!host_ || !host_->get_extension) return nullptr;
    return static_cast<const Extension*>(host_->get_extension(host_, id));
  }

  // Ports (ClapPlugin.cpp).
  static std::uint32_t AudioPortCount(const clap::clap_plugin* plugin, bool isInput);
  static bool AudioPortInfo(const clap::clap_plugin* plugin, std::uint32_t index, bool isInput,
                            clap::clap_audio_port_info* info);
  static std::uint32_t NotePortCount(const clap::clap_plugin* plugin, bool isInput);
  static bool NotePortInfo(const clap::clap_plugin* plugin, std::uint32_t index, bool isInput,
                           clap::clap_note_port_info* info);

  // Parameters (ClapParams.cpp).
  static std::uint32_t ParamCount(const clap::clap_plugin* plugin);
  static bool ParamInfo(const clap::clap_plugin* plugin, std::uint32_t index, clap::clap_param_info* info);
  static bool ParamValue(const clap::clap_plugin* plugin, clap::clap_id id, double* value);
  static bool ParamValueToText(const clap::clap_plugin* plugin, clap::clap_id id, double value, char* out,
                               std::uint32_t capacity);
  static bool ParamTextToValue(const clap::clap_plugin* plugin, clap::clap_id id, const char* text, double* value);
  static void ParamFlush(const clap::clap_plugin* plugin, const clap::clap_input_events* in,
                         const clap::clap_output_events* out);
  // A host's value event for parameter `id`, as automation sets it.
  void ApplyHostValue(clap::clap_id id, double hostValue);
  // The edits waiting in the ring, as output events.
  void SendEdits(const clap::clap_output_events* out);

  // The editor (ClapGui.cpp), all on the main thread.
  static bool GuiIsApiSupported(const clap::clap_plugin* plugin, const char* api, bool isFloating);
  static bool GuiPreferredApi(const clap::clap_plugin* plugin, const char** api, bool* isFloating);
  static bool GuiCreate(const clap::clap_plugin* plugin, const char* api, bool isFloating);
  static void GuiDestroy(const clap::clap_plugin* plugin);
  static bool GuiSetScale(const clap::clap_plugin* plugin, double scale);
  static bool GuiGetSize(const clap::clap_plugin* plugin, std::uint32_t* width, std::uint32_t* height);
  static bool GuiCanResize(const clap::clap_plugin* plugin);
  static bool GuiResizeHints(const clap::clap_plugin* plugin, clap::clap_gui_resize_hints* hints);
  static bool GuiAdjustSize(const clap::clap_plugin* plugin, std::uint32_t* width, std::uint32_t* height);
  static bool GuiSetSize(const clap::clap_plugin* plugin, std::uint32_t width, std::uint32_t height);
  static bool GuiSetParent(const clap::clap_plugin* plugin, const clap::clap_window* window);
  static bool GuiSetTransient(const clap::clap_plugin* plugin, const clap::clap_window* window);
  static void GuiSuggestTitle(const clap::clap_plugin* plugin, const char* title);
  static bool GuiShow(const clap::clap_plugin* plugin);
  static bool GuiHide(const clap::clap_plugin* plugin);
  static void OnTimer(const clap::clap_plugin* plugin, clap::clap_id timer);
  static void OnDescriptor(const clap::clap_plugin* plugin, int descriptor, std::uint32_t flags);
  // The window's events and its tick, from the host's timer or descriptor.
  void EditorIdle();
  // Closes the window and lets go of the host's timer and descriptor.
  void CloseEditorWindow();
  // For a host with no timer: a thread that only asks, once a tick, for a
  // main-thread callback, in which the editor then runs.
  void StartIdleRequests(int periodMs);
  void StopIdleRequests();

  // Presets (ClapPresets.cpp): a program by its number, or a file.
  static bool LoadPreset(const clap::clap_plugin* plugin, std::uint32_t kind, const char* location, const char* key);

  // State (ClapState.cpp).
  static bool SaveState(const clap::clap_plugin* plugin, const clap::clap_ostream* stream);
  static bool LoadState(const clap::clap_plugin* plugin, const clap::clap_istream* stream);

  // The audio path (ClapProcess.cpp).
  static clap::clap_process_status Process(const clap::clap_plugin* plugin, const clap::clap_process* process);
  clap::clap_process_status Render(const clap::clap_process& process);
  // A note or MIDI event for the instrument's MIDI intake.
  void ReceiveNoteEvent(const clap::clap_event_header& event);
  void RenderRange(const clap::clap_process& process, std::uint32_t from, std::uint32_t to);

  const clap::clap_host* host_;
  EditorFactory makeEditor_;
  clap::clap_plugin plugin_{};
  const clap::clap_host_params* hostParams_ = nullptr;
  const clap::clap_host_state* hostState_ = nullptr;
  const clap::clap_host_timer_support* hostTimer_ = nullptr;
  const clap::clap_host_gui* hostGui_ = nullptr;
  const clap::clap_host_posix_fd_support* hostDescriptors_ = nullptr;
  clap::clap_id timer_ = clap::CLAP_INVALID_ID;
  int watchedDescriptor_ = -1;
  bool active_ = false;  // main thread's
  std::uint32_t maxFrames_ = 0;
  std::vector<double> scratch_[2];  // what a 32-bit or missing channel is rendered into
  // The instance whose process or flush the thread is in.
  static thread_local ClapPlugin* processing_;
  // The process call under way: what ReadTransport, SendMidi and the
  // engine's edits read. Audio thread only.
  const clap::clap_process* current_ = nullptr;
  const clap::clap_output_events* currentOut_ = nullptr;
  HandOffRing<Edit, 1024> edits_;  // main thread → process or flush
  std::atomic<bool> resetPending_{false};
  std::atomic<bool> rescanPending_{false};
  std::atomic<bool> idlePending_{false};
  std::thread idleRequests_;
  std::mutex idleRequestsLock_;
  std::condition_variable idleRequestsStop_;
  bool stopIdleRequests_ = false;  // under idleRequestsLock_
  std::unique_ptr<Kestrion> instrument_;
  std::unique_ptr<panel::PanelEditor> editor_;
  StateBuffer stateBuffer_;  // the main thread's
};

// Held while an instance is made: one at a time across the process, as the
// instrument's shared tables expect.
std::mutex& InstanceCreationLock();

// The factory that lists the programs for a host's preset browser.
extern const clap::clap_preset_discovery_factory kPresetDiscoveryFactory;

// A new instance for `host` (one created at a time across the process), or
// null; the module's entry passes no editor factory.
const clap::clap_plugin* CreateClapPlugin(const clap::clap_host* host, EditorFactory makeEditor = nullptr);
