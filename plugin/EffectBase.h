// The format-free plug-in object: parameters, program slots, identity,
// processing settings and the plug-in mutex, plus the virtual operations
// through which a format's adapter and the instrument cooperate. Their order
// means nothing outside this build: no host, file or other module sees it.
// Each says on which thread it may be called.
//
// Threads. The model (parameter values as a set, program slots, settings) is
// guarded by the plug-in mutex, which the audio thread never waits for. The
// engine (whatever the render reads) belongs to the thread that holds it:
// the audio thread for the length of a process call, which only ever tries
// to take it; while processing is off, whichever thread changed the model.
// Changes reach the engine as hand-offs: each parameter value is atomic and
// a changed one sets its bit; a restore of many values is fenced by a
// sequence count, so the audio thread takes all of a program or none of it.
// No call into the host is made while either is held: calls made meanwhile
// wait in an outbox until the holder lets go.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/PluginMutex.h"
#include "plugin/EditorMailbox.h"
#include "plugin/EffectParameter.h"
#include "plugin/HostTimeInfo.h"
#include "plugin/MidiEvent.h"
#include "plugin/PresetSlot.h"
#include "plugin/StateBuffer.h"
#include "plugin/Text.h"

struct EffectIdentity {
  const char* effectName;
  const char* productName;
  const char* makerName;
  std::uint32_t versionWord;  // major << 16 | minor << 8 | revision
  std::uint32_t uniqueId;
  std::uint32_t makerCode;
  int parameterCount;
  int presetCount;
  int latency;
  bool handlesMidi;
  bool usesChunks;
  bool isInstrument;
};

class EffectBase {
 public:
  // A call into the host, as the instrument's adapter makes it.
  enum class HostCallKind { kBeginEdit, kPerformEdit, kEndEdit, kProgramListChanged };
  struct HostCall {
    HostCallKind kind;
    int index;
    double value;
  };

  // Takes the plug-in mutex (re-entrant). When the outermost one lets go,
  // the host calls made meanwhile are sent and, while processing is off,
  // the engine is brought up to date. Never on the audio thread.
  class Lock {
   public:
    explicit Lock(EffectBase& base);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    EffectBase& base_;
  };

  // The audio thread's way to the model: takes the mutex only if it is free.
  class TryLock {
   public:
    explicit TryLock(EffectBase& base);
    ~TryLock();
    TryLock(const TryLock&) = delete;
    TryLock& operator=(const TryLock&) = delete;
    explicit operator bool() const { return owns_; }

   private:
    EffectBase& base_;
    bool owns_;
  };

  // Holds the engine on a thread other than the audio thread, waiting for
  // the audio thread to finish its block if it has it. Re-entrant.
  class EngineHold {
   public:
    explicit EngineHold(EffectBase& base);
    ~EngineHold();
    EngineHold(const EngineHold&) = delete;
    EngineHold& operator=(const EngineHold&) = delete;

   private:
    EffectBase& base_;
    bool took_;
  };

  // Marks the writing of many parameter values at once (a program restored,
  // initialised or pasted); the audio thread takes none of them until all
  // are written. Under the plug-in mutex.
  class BulkEdit {
   public:
    explicit BulkEdit(EffectBase& base);
    ~BulkEdit();
    BulkEdit(const BulkEdit&) = delete;
    BulkEdit& operator=(const BulkEdit&) = delete;

   private:
    EffectBase& base_;
  };

  explicit EffectBase(const EffectIdentity& identity);
  EffectBase(const EffectBase&) = delete;
  EffectBase& operator=(const EffectBase&) = delete;

  // -- virtual operations --------------------------------------------------
  // Host UI/dispatcher, with neither the mutex nor the engine held.
  virtual ~EffectBase();

  // Host UI/dispatcher, after the sample rate, block size or activation
  // changed; holds the engine while it resets it.
  virtual void ResetProcessing() {}
  // Host UI/dispatcher.
  virtual void ChangeSampleRate(double rate) { sampleRate_ = rate; }
  // Host UI/dispatcher: the largest block a render call will be given.
  void ChangeBlockSize(int frames) { blockSize_ = frames; }
  // Host UI/dispatcher: processing is switched on or off.
  void ActivationChanged(bool active);
  // Audio, holding the engine: `frames` samples of each output channel, at
  // most one block.
  virtual void RenderBlock(double* left, double* right, int frames) = 0;
  // Holding the engine: what the engine does when parameter `index` took
  // `value` (in its real units).
  virtual void ApplyParameterToEngine(int /*index*/, double /*value*/) {}
  // Any thread, holding no lock: sends one call to the host.
  virtual void SendToHost(const HostCall& call) = 0;

  // Any thread, lock-free: parameter `index` has a new value; the engine
  // takes it at its next block, or now while processing is off.
  void ParameterChanged(int index);
  // Editor, host automation (one parameter at a time); lock-free. Sets the
  // value, tells the host and the engine.
  virtual void SetParameterFromEditor(int index, double normalised);
  // Any thread: the host calls of an edit, sent at once or, while this
  // thread holds the mutex or the engine, when it lets go.
  void BeginParameterEdit(int index) { CallHost({HostCallKind::kBeginEdit, index, 0}); }
  void NotifyHostOfParameter(int index, double normalised) {
    CallHost({HostCallKind::kPerformEdit, index, normalised});
  }
  void EndParameterEdit(int index) { CallHost({HostCallKind::kEndEdit, index, 0}); }
  void RequestHostDisplayUpdate() { CallHost({HostCallKind::kProgramListChanged, 0, 0}); }
  // Any thread, lock-free: the editor shows every parameter's value.
  void RefreshParameterControls();

  // Under the mutex.
  virtual bool SerializeCurrentState(StateBuffer& buffer) { return SerializeParams(buffer); }
  // Under the mutex.
  virtual int UnserializeState(const StateBuffer& buffer, int position) { return UnserializeParams(buffer, position); }
  // Walks a state as UnserializeState would read it, applying nothing:
  // the position after it, or -1 when it is truncated or holds a value that
  // is not a finite number. Lets chunk and file readers refuse bad data
  // before they change anything. Any thread.
  virtual int MeasureState(const StateBuffer& buffer, int position) const;
  // Writes the state at `position` into `out` as SerializeCurrentState would
  // write it once UnserializeState had taken it (values clamped to their
  // ranges), without applying it: a bank is stored slot by slot this way, so
  // only the program that becomes current reaches the instrument. The
  // position after the state, or -1. Under the mutex.
  virtual int TranscribeState(const StateBuffer& buffer, int position, StateBuffer& out);
  // Under the mutex (bank chunks and files).
  int UnserializePresets(const StateBuffer& buffer, int position);
  // Under the mutex.
  void ModifyCurrentPreset(const char* name);

  // Any thread, lock-free: the editor, if one is open now or later, is to
  // show `value` on the controls bound to `index` (a parameter, or a command
  // code with a normalised value); in real units unless `normalised`.
  void ShowOnEditor(int index, double value, bool normalised);
  EditorMailbox& EditorValues() { return editorMailbox_; }

  // -- parameters ---------------------------------------------------------
  int ParameterCount() const { return static_cast<int>(parameters_.size()); }
  EffectParameter* Parameter(int index);
  const EffectParameter* Parameter(int index) const;
  void NotifyHostOfAllParameters();
  // Any thread: every parameter changed.
  void NotifyAllParameters();
  bool SerializeParams(StateBuffer& buffer);
  int UnserializeParams(const StateBuffer& buffer, int position);
  // Parameter values as UnserializeParams reads them, clamped, appended to
  // `out`; the position after them, or -1 when they run past the data.
  int TranscribeParams(const StateBuffer& buffer, int position, StateBuffer& out) const;

  // -- presets (under the mutex unless noted) -------------------------------
  int PresetCount() const { return static_cast<int>(presets_.size()); }
  // Any thread.
  int CurrentPreset() const { return currentPreset_.load(std::memory_order_relaxed); }
  const char* PresetName(int index) const;
  PresetSlot* Preset(int index);
  bool SerializePresets(StateBuffer& buffer);
  // The bank block's counterpart of MeasureState.
  int MeasurePresets(const StateBuffer& buffer, int position) const;
  // Parameter values as UnserializeParams reads them, applying nothing.
  int MeasureParams(const StateBuffer& buffer, int position) const;
  bool ActivatePreset(int index);
  void FillEmptyPresets(int count);
  // Any thread, lock-free: moves whenever the current program or a
  // program's name may have changed, so that a program display knows when
  // to read them again (under the mutex).
  unsigned PresetChanges() const { return presetChanges_.load(std::memory_order_acquire); }

  // -- identity and settings ----------------------------------------------
  const char* EffectName() const { return effectName_; }
  const char* ProductName() const { return productName_; }
  const char* MakerName() const { return makerName_; }
  std::uint32_t UniqueId() const { return uniqueId_; }
  std::uint32_t MakerCode() const { return makerCode_; }
  std::uint32_t VersionWord() const { return versionWord_; }
  int VersionDecimal() const;
  bool HandlesMidi() const { return handlesMidi_; }
  bool UsesChunks() const { return usesChunks_; }
  bool IsInstrument() const { return isInstrument_; }
  double SampleRate() const { return sampleRate_; }
  int BlockSize() const { return blockSize_; }
  int Latency() const { return latency_; }
  int TailSize() const { return tailSize_; }
  // Any thread: whether the host has processing on (the audio thread holds
  // the engine for each block) or off (a changing thread takes it).
  bool Processing() const { return processing_.load(std::memory_order_acquire); }

 protected:
  // Audio, at the start of a process call: takes the engine unless another
  // thread holds it (false: the call renders silence and changes nothing).
  bool TryHoldEngine();
  // Audio, at the end of a process call: lets go of the engine, then sends
  // the host calls the block made.
  void ReleaseEngine();
  // Holding the engine: hands every changed parameter to the engine, in
  // index order; none while a restore is half written.
  void ApplyChangedParameters();
  // Holding no lock: brings the engine up to date unless processing is on,
  // in which case the audio thread does at its next block.
  void UpdateEngineIfIdle();
  // Holding the engine: the engine set parameter `index` itself, so a
  // changed value taken before must not overwrite it.
  void NoteSetByEngine(int index) {
    if (index >= 0 && index < ParameterCount()) setByEngine_[index / 64] |= std::uint64_t(1) << (index % 64);
  }
  bool HoldsEngine() const { return engineOwner_.load(std::memory_order_acquire) == std::this_thread::get_id(); }
  bool HoldsMutex() const { return mutexOwner_.load(std::memory_order_acquire) == std::this_thread::get_id(); }
  void SetProcessing(bool on) { processing_.store(on, std::memory_order_release); }

 private:
  static constexpr int kChangedWords = 2;
  static constexpr int kOutboxCapacity = 512;

  void CallHost(const HostCall& call);
  // The calling thread has just taken the mutex.
  void TakeMutexOwnership();
  // Moves an outbox's calls into `calls`, to be sent once its holder lets go.
  static int TakeCalls(HostCall (&outbox)[kOutboxCapacity], int& count, HostCall (&calls)[kOutboxCapacity]);
  void MarkChanged(int index);

  platform::PluginMutex mutex_;
  std::atomic<std::thread::id> mutexOwner_{};
  int mutexDepth_ = 0;                     // the owner's
  HostCall mutexOutbox_[kOutboxCapacity];  // the owner's
  int mutexOutboxCount_ = 0;
  std::atomic<bool> engineHeld_{false};
  std::atomic<std::thread::id> engineOwner_{};
  HostCall engineOutbox_[kOutboxCapacity];  // the engine holder's
  int engineOutboxCount_ = 0;
  std::atomic<bool> processing_{false};
  std::atomic<std::uint64_t> changed_[kChangedWords] = {};
  std::atomic<unsigned> restoreSequence_{0};
  std::uint64_t setByEngine_[kChangedWords] = {};  // the engine holder's
  int bulkDepth_ = 0;                              // under the mutex
  char effectName_[kIdentityLength] = {};
  char productName_[kIdentityLength] = {};
  char makerName_[kIdentityLength] = {};
  std::uint32_t uniqueId_;
  std::uint32_t makerCode_;
  std::uint32_t versionWord_;
  bool usesChunks_;
  bool isInstrument_;
  bool handlesMidi_;
  std::atomic<int> currentPreset_{0};
  std::atomic<unsigned> presetChanges_{0};
  double sampleRate_ = 44100.0;
  int blockSize_ = 0;
  int latency_;
  int tailSize_ = 0;
  std::vector<EffectParameter> parameters_;
  EditorMailbox editorMailbox_;
  std::vector<PresetSlot> presets_;
};
