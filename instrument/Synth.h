// The maker's layer between the plug-in object and the instrument: MIDI intake
// ahead of the engine, the event queue, the held-key list and the
// control-tick grid the engine runs on, the configuration file, MIDI learn,
// MIDI Thru, the microtuning client and the commands of the editor.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "dsp/HeldKeys.h"
#include "dsp/TickGrid.h"
#include "instrument/HostLink.h"
#include "instrument/MidiLearn.h"
#include "instrument/MidiThru.h"
#include "instrument/ProgramCommands.h"
#include "instrument/TuningClient.h"
#include "plugin/EditorDelegate.h"
#include "plugin/EffectBase.h"
#include "plugin/HostTimeInfo.h"
#include "plugin/MidiEventQueue.h"
#include "plugin/MidiInbox.h"

class Synth : public EffectBase, public EditorDelegate {
 public:
  static constexpr int kLearnableControllers = kLearnableControllerCount;  // 0–119

  Synth(const EffectIdentity& identity, HostLink& host);
  ~Synth() override;

  // Host requests, through the adapter's HostLink.
  void SendToHost(const HostCall& call) override;

  void ResetProcessing() override;
  // An edit of one parameter by the editor: also what MIDI learn captures.
  void SetParameterFromEditor(int index, double normalised) override;
  // Any thread: the host changed parameter `index` alone (automation, a
  // typed value); MIDI learn captures it.
  void ParameterEditedByHost(int index) { CaptureLearnParameter(index); }

  // The host's event thread (normally the audio thread), lock-free: one
  // MIDI message for the block to come. Program changes and all-notes-off
  // act when the engine takes it, notes and controllers wait in the queue
  // for the control tick they fall due in.
  void ReceiveMidi(const MidiEvent& event);
  // The host's event thread, lock-free: the host's own program control chose
  // `index`; the block to come switches to it as a MIDI program change
  // does, whatever the option to ignore those says.
  void RequestProgram(int index) {
    if (index >= 0 && index < PresetCount()) pendingProgram_.store(index, std::memory_order_release);
  }
  // Audio, once per process call, before any rendering: reads the host's
  // transport, takes the engine (false: another thread holds it, the call
  // renders silence), the waiting MIDI and the changed parameters.
  bool BeginProcess();
  // Audio, after the rendering: publishes what the editor shows, lets go of
  // the engine, then sends MIDI Thru and the host calls the block made.
  void EndProcess();
  // Audio, between two pieces of one process call: the parameters changed
  // since the call began reach the engine now, so that a format whose host
  // places values inside a block has them act from there.
  void TakeParameterChanges() { ApplyChangedParameters(); }

  // Holding the engine (controllers 120 and 123, ResetProcessing).
  virtual void AllNotesOff() {}
  // The creating thread, in the instrument's constructor.
  virtual void DefineParameters() {}

  // What the engine reads and maintains between blocks.
  const MidiEventQueue& EventQueue() const { return eventQueue_; }
  const dsp::HeldKeys& Keys() const { return heldKeys_; }
  const dsp::TickGrid& Grid() const { return tickGrid_; }
  // Any thread: parameter bound to a controller, -1 for none or a
  // controller out of range.
  int LearnedParameter(int controller) const;
  bool IgnoresProgramChange() const { return ignoreProgramChange_.load(std::memory_order_relaxed); }
  void SetIgnoreProgramChange(bool ignore) { ignoreProgramChange_.store(ignore, std::memory_order_relaxed); }
  bool MidiThru() const { return midiThru_.load(std::memory_order_relaxed); }
  void SetMidiThru(bool on) { midiThru_.store(on, std::memory_order_relaxed); }

  // MIDI learn (MidiLearn.cpp), lock-free on any thread. The learn switch
  // starts or cancels learning; a controller and a parameter captured in
  // either order are then bound.
  void SetMidiLearn(bool active, bool unlearn) override;
  bool UnlearnMode() const { return learnMode_.load(std::memory_order_acquire) == kUnlearning; }
  void CaptureLearnController(int controller);
  void CaptureLearnParameter(int index);

  // The instance's microtuning client; null only while it is being torn down.
  const TuningClient* Tuning() const { return tuning_.get(); }

  // The per-user configuration file (Configuration.cpp).
  int ReadConfiguration();  // configuration::kRead, or kFileMissing
  void WriteConfiguration(bool midiOnly);
  // Replaces the default folder when `folder` is given, then writes it.
  void WriteDefaultFolder(const std::string* folder = nullptr);
  void SetStartupBank(const std::string& path);
  void ClearStartupBank();
  const std::string& ConfigurationPath() const { return configurationPath_; }
  const std::string& DefaultFolder() const { return defaultFolder_; }
  void SetDefaultFolder(const std::string& folder) { defaultFolder_ = folder; }

  // Program and bank files; each returns true on success and changes
  // nothing when a file cannot be read whole and valid.
  bool SaveProgramFile(const std::string& path);
  bool LoadProgramFile(const std::string& path);
  bool SaveBankFile(const std::string& path);
  bool LoadBankFile(const std::string& path);
  void LoadBankImage(const void* data, std::size_t size);
  // The whole bank as a host keeps it in a project: the chunk header and
  // every slot, the current program's edits included. Read checks the whole
  // state first and changes nothing when it is damaged or foreign.
  bool WriteBankState(StateBuffer& buffer);
  bool ReadBankState(const StateBuffer& buffer);
  // The configured startup bank, else the factory bank built into the module.
  void LoadStartupBank();
  void LoadFactoryBank();
  const std::string& StartupBankPath() const { return startupBankPath_; }

  // The editor's commands (ProgramCommands.cpp), on the editor thread with
  // no lock held: each takes the plug-in mutex around its changes only,
  // never while a dialog waits for the user or a file is read or written.
  //
  // A command of the options menu (programcommands::OptionCommand); other
  // numbers do nothing, and so does a command that asks the user something
  // without an editor to ask in.
  void HandleOptionCommand(int command, EditorView* editor);
  // Keeps the edits of the program left, then switches to `index`.
  void SelectProgram(int index) override;
  // The current program takes `name`; null or "" keeps its name.
  void RenameProgram(const char* name) override;

  // EditorDelegate: the editor's view of the instrument (EditorDelegate.cpp).
  int ParameterCount() const override { return EffectBase::ParameterCount(); }
  const EffectParameter* ParameterInfo(int index) const override { return Parameter(index); }
  double NormalisedValue(int index) const override;
  void BeginEdit(int index) override { BeginParameterEdit(index); }
  void SetFromEditor(int index, double normalised) override { SetParameterFromEditor(index, normalised); }
  void EndEdit(int index) override { EndParameterEdit(index); }
  EditorMailbox& Mailbox() override { return EditorValues(); }
  int ProgramCount() const override { return PresetCount(); }
  int CurrentProgram() const override { return CurrentPreset(); }
  std::string ProgramName(int index) override;
  unsigned ProgramChanges() const override { return PresetChanges(); }
  void RunCommand(int command, EditorView& editor) override { HandleOptionCommand(command, &editor); }
  bool CommandAvailable(int command) override;
  bool CommandChecked(int command) override;
  bool LearnActive() const override { return learnMode_.load(std::memory_order_acquire) != kLearnOff; }
  int ChosenPanelZoom() const override;
  void ChoosePanelZoom(int percent) override;
  // This instance's chosen panel size (0: none), as its state keeps it.
  int InstancePanelZoom() const { return panelZoom_.load(std::memory_order_relaxed); }
  // Any thread: whether Copy Program has filled the clipboard yet.
  bool HasCopiedProgram() const { return programCopied_; }

  // An event's place in the queue: offsets past the first tick move on by
  // half a tick, spreading late events over the next block's first ticks.
  static std::int32_t QueuedOffset(std::int32_t offset, std::int32_t tickLength);

 protected:
  // Holding the engine: one message from the inbox.
  void HandleMidiEvent(const MidiEvent& event);
  // Holding the engine, after each block: what the editor reads lock-free.
  virtual void PublishAfterBlock() {}
  // Holding the engine: what a learned controller or a parameter's own
  // reaction sets; the engine takes it at once, the host is told.
  void SetParameterFromEngine(int index, double normalised);

  // The engine's side: touched only by the thread that holds the engine.
  MidiEventQueue eventQueue_;
  dsp::HeldKeys heldKeys_;
  dsp::TickGrid tickGrid_;
  HostTimeInfo timeInfo_;  // the audio thread's
  MidiThruQueue thruQueue_;
  // Settings any thread reads.
  std::atomic<bool> ignoreProgramChange_{false};
  std::atomic<bool> midiThru_{false};
  // The panel's size (percent, 0 for none): this instance's choice and the
  // configuration file's.
  std::atomic<int> panelZoom_{0};
  std::atomic<int> savedPanelZoom_{0};
  std::string configurationPath_;
  std::string defaultFolder_;
  std::string startupBankPath_;

 private:
  enum LearnMode { kLearnOff, kLearning, kUnlearning };

  void OpenConfiguration();
  // Holding the engine: every message the inbox holds.
  void TakeMidi();
  // Holding the engine: a program change from MIDI, when the model is free;
  // else it waits for the next block.
  void ChangeProgramFromMidi(int program);
  void BindLearnCaptures();
  void CopyProgram();
  void PasteProgram();
  void InitProgram();
  void RunFileCommand(EditorView& editor, int command);
  void ChooseDefaultFolder(EditorView& editor);
  void RunStartupBankCommand(EditorView& editor, int command);

  HostLink& host_;
  MidiInbox inbox_;
  std::atomic<int> pendingProgram_{-1};
  MidiThruQueue thruSending_;  // the audio thread's, outside the engine
  std::atomic<int> learnMode_{kLearnOff};
  std::atomic<int> capturedController_{-1};
  std::atomic<int> capturedParameter_{-1};
  std::atomic<std::int32_t> controllerMap_[kLearnableControllerCount];
  programcommands::ProgramClipboard programClipboard_;
  std::atomic<bool> programCopied_{false};

  std::unique_ptr<TuningClient> tuning_;
};
