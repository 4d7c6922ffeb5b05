// The maker's layer between the plug-in object and the instrument: MIDI intake
// ahead of the engine, the event queue, the held-key list and the
// control-tick grid the engine runs on, the configuration file, MIDI learn,
// MIDI Thru, the microtuning client and the commands of the editor.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "plugin/HostTimeInfo.h"
#include "plugin/EffectBase.h"
#include "plugin/MidiEventQueue.h"
#include "instrument/HostLink.h"
#include "dsp/HeldKeys.h"
#include "instrument/MidiLearn.h"
#include "instrument/MidiThru.h"
#include "instrument/ProgramCommands.h"
#include "dsp/TickGrid.h"
#include "instrument/TuningClient.h"

class Synth : public IEffectBase {
 public:
  static constexpr int kLearnableControllers = kLearnableControllerCount;  // 0–119

  Synth(const IEffectIdentity& identity, HostLink& host);
  ~Synth() override;

  // Host requests, through the adapter's HostLink.
  void BeginParameterEdit(int index) override;
  void NotifyHostOfParameter(int index, double normalised) override;
  void EndParameterEdit(int index) override;
  void RequestHostDisplayUpdate() override;
  void GetHostTimeInfo(IHostTimeInfo* info) override;
  bool SendMidiEvent(const IMidiEvent* event) override;

  void ResetProcessing() override;
  void ParameterChanged(int index) override;
  void ActivationChanged(bool active) override;
  void HandleMidiEvent(const IMidiEvent* event) override;

  // Audio (controllers 120 and 123), host UI/dispatcher (ResetProcessing).
  virtual void AllNotesOff() {}
  // The creating thread, in the instrument's constructor.
  virtual void DefineParameters() {}

  // What the engine reads and maintains between blocks.
  const IMidiEventQueue& EventQueue() const { return eventQueue_; }
  const HeldKeys& Keys() const { return heldKeys_; }
  const TickGrid& Grid() const { return tickGrid_; }
  // Parameter bound to a controller, -1 for none or a controller out of range.
  int LearnedParameter(int controller) const;
  bool IgnoresProgramChange() const { return ignoreProgramChange_; }
  void SetIgnoreProgramChange(bool ignore) { ignoreProgramChange_ = ignore; }
  bool MidiThru() const { return midiThru_; }
  void SetMidiThru(bool on);

  // MIDI learn (MidiLearn.cpp). The learn switch starts or cancels learning;
  // a controller and a parameter captured in either order are then bound.
  void SetMidiLearn(bool active, bool unlearn);
  bool LearnActive() const { return learn_.active; }
  bool UnlearnMode() const { return learn_.unlearn; }
  void BindLearnedController();

  // Sends the messages held for MIDI Thru to the host, at the start of the
  // process call of the block they arrived for.
  void ForwardMidiThru();

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
  // The configured startup bank, else the factory bank built into the module.
  void LoadStartupBank();
  const std::string& StartupBankPath() const { return startupBankPath_; }

  // The editor's commands (ProgramCommands.cpp), on the editor thread with
  // no lock held: each takes the plug-in mutex around its changes only,
  // never while a dialog waits for the user or a file is read or written.
  //
  // A command of the options menu (programcommands::OptionCommand); other
  // numbers do nothing, and so does a command that asks the user something
  // while no editor is attached.
  void HandleOptionCommand(int command);
  // Keeps the edits of the program left, then switches to `index`.
  void SelectProgram(int index);
  // The current program takes `name`; null or "" keeps its name.
  void RenameProgram(const char* name);
  // Any thread: whether Copy Program has filled the clipboard yet.
  bool HasCopiedProgram() const { return programCopied_; }

  // An event's place in the queue: offsets past the first tick move on by
  // half a tick, spreading late events over the next block's first ticks.
  static std::int32_t QueuedOffset(std::int32_t offset, std::int32_t tickLength);

 protected:
  IMidiEventQueue eventQueue_;
  HeldKeys heldKeys_;
  TickGrid tickGrid_;
  IHostTimeInfo timeInfo_;
  ControllerMap controllerMap_;
  MidiLearn learn_;
  bool ignoreProgramChange_ = false;
  bool midiThru_ = false;
  MidiThruQueue thruQueue_;
  std::string configurationPath_;
  std::string defaultFolder_;
  std::string startupBankPath_;

 private:
  void OpenConfiguration();
  void CopyProgram();
  void PasteProgram();
  void InitProgram();
  void RunFileCommand(IEditorView& editor, int command);
  void ChooseDefaultFolder(IEditorView& editor);
  void RunStartupBankCommand(IEditorView& editor, int command);

  HostLink& host_;
  programcommands::ProgramClipboard programClipboard_;
  std::atomic<bool> programCopied_{false};

  std::unique_ptr<TuningClient> tuning_;
};
