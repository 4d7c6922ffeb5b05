// Kestrion as an LV2 plug-in: the instance a host makes from the bundle's
// description, its ports, its run call and its state. It owns the
// instrument and is, with its UI (Lv2Ui.cpp) and the module's entry, the
// only code that knows LV2.
//
// Threads, as LV2 assigns them: instantiate, activate, state and cleanup on
// the host's main thread; run on its audio thread. The control ports are the
// host's: run applies the values that changed since it last looked; the UI
// writes the instrument's own changes (editor gestures, programs, learned
// controllers) back to the host's ports on its idle calls.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include "instrument/HostLink.h"
#include "instrument/Kestrion.h"
#include "ui/EditorWindow.h"

class Lv2Plugin final : public HostLink {
 public:
  // Port indices, as the bundle's description numbers them.
  enum Port : std::uint32_t {
    kControlIn = 0,
    kMidiThru = 1,
    kLeftOut = 2,
    kRightOut = 3,
    kFirstParameter = 4,
    kPortCount = kFirstParameter + Kestrion::kParameterCount
  };
  // The block size a host that names none gets; longer runs are rendered
  // in pieces of it.
  static constexpr std::uint32_t kFallbackBlockSize = 4096;
  static constexpr std::uint32_t kMaxBlockSize = 1 << 16;
  // A state value larger than this is refused.
  static constexpr std::uint32_t kMaxStateSize = 16 << 20;

  // Main thread. Throws when a feature it requires is missing or the
  // instrument cannot be made; `makeEditor` makes the editor's window (the
  // system's when null).
  Lv2Plugin(double rate, const LV2_Feature* const* features, EditorFactory makeEditor = nullptr);
  ~Lv2Plugin() override;
  Lv2Plugin(const Lv2Plugin&) = delete;
  Lv2Plugin& operator=(const Lv2Plugin&) = delete;

  // The descriptor's calls.
  void ConnectPort(std::uint32_t port, void* data);
  void Activate();
  void Deactivate();
  void Run(std::uint32_t frames);
  LV2_State_Status SaveState(LV2_State_Store_Function store, LV2_State_Handle handle);
  LV2_State_Status RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

  // HostLink.
  void BeginEdit(int index) override;
  void PerformEdit(int /*index*/, double /*normalised*/) override {}
  void EndEdit(int index) override;
  void ProgramListChanged() override {}
  bool SendMidi(const MidiEvent& event) override;
  void ReadTransport(HostTimeInfo& info) override;

  // For the UI, on the host's UI thread.
  Kestrion& Instrument() { return *instrument_; }
  EditorFactory MakeEditor() const { return makeEditor_; }
  // A parameter's value as its control port carries it: normalised for
  // continuous parameters, the parameter's own value for switches and
  // numbers.
  float PortValueOf(int index) const;
  // The last value run took from the parameter's control port; after a
  // restore, the restored value until run looks again.
  float HostPortValue(int index) const { return hostValues_[index].load(std::memory_order_relaxed); }
  // Gestures begun and ended on a parameter so far, for the UI's touch calls.
  unsigned GesturesBegun(int index) const { return gesturesBegun_[index].load(std::memory_order_acquire); }
  unsigned GesturesEnded(int index) const { return gesturesEnded_[index].load(std::memory_order_acquire); }

 private:
  struct Uris {
    LV2_URID atomSequence, atomObject, atomBlank, atomFloat, atomDouble, atomInt, atomLong, atomChunk;
    LV2_URID midiEvent, timePosition, timeBeatsPerMinute, timeBar, timeBarBeat, timeBeatsPerBar, timeBeatUnit,
        timeSpeed, timeFrame, maxBlockLength, bankKey, portsKey, logWarning;
  };
  // The host's transport as the last time:Position and the frames since told.
  struct Transport {
    bool known = false;
    double tempo = 120;
    double beat = 0;  // in the bar's beat units, from the song's start
    double beatsPerBar = 4;
    int beatUnit = 4;
    double speed = 0;
    double frame = 0;
  };

  // The expected values of a new instance's ports: its first program's, or
  // the factory bank's first when a startup bank replaced it.
  void ExpectDefaults();
  // A value from the parameter's control port, as automation sets it.
  void ApplyPortValue(int index, float value);
  // The block's events: MIDI into the intake, positions into the transport.
  void ReadEvents(std::uint32_t frames);
  void ReadPosition(const LV2_Atom_Object* object);
  void RenderInPieces(std::uint32_t frames);

  std::unique_ptr<Kestrion> instrument_;
  EditorFactory makeEditor_;
  LV2_URID_Map* map_ = nullptr;
  LV2_Log_Log* log_ = nullptr;
  Uris uris_{};
  double rate_;
  std::uint32_t maxFrames_ = kFallbackBlockSize;
  std::vector<double> scratch_[2];

  // The ports, as the host connected them (audio thread).
  const LV2_Atom_Sequence* controlIn_ = nullptr;
  LV2_Atom_Sequence* midiThru_ = nullptr;
  float* outputs_[2] = {nullptr, nullptr};
  const float* parameters_[Kestrion::kParameterCount] = {};
  // The control ports' values as run last saw them (audio thread), and
  // copies the UI reads.
  float lastSeen_[Kestrion::kParameterCount] = {};
  std::atomic<float> hostValues_[Kestrion::kParameterCount];
  // The port values the host is expected to hold at the next run: a new
  // instance's defaults (its first factory program), or after a restore the
  // values its ports held when the state was saved. That run takes a port
  // holding its expected value as seen, and applies one holding another: so
  // a host's stale values never undo a restored bank, while a preset it
  // applied, or a value it changed and saved before the plug-in ran, act.
  float expectedPorts_[Kestrion::kParameterCount] = {};
  std::atomic<bool> firstLook_{true};
  bool portsAsSeen_ = false;  // a restore named no port values: take the ports' as seen
  std::atomic<unsigned> gesturesBegun_[Kestrion::kParameterCount];
  std::atomic<unsigned> gesturesEnded_[Kestrion::kParameterCount];

  Transport transport_;             // audio thread
  std::uint32_t thruCapacity_ = 0;  // the MIDI Thru buffer's size in this run
  bool running_ = false;            // inside run (audio thread)
  StateBuffer stateBuffer_;         // main thread
};

// The UI's descriptor (Lv2Ui.cpp).
const struct LV2UI_Descriptor* Lv2UiDescriptor();
