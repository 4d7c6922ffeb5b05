// The maker's layer between the host wrapper and the instrument: MIDI intake
// ahead of the engine, the event queue, the held-key list and the
// control-tick grid the engine runs on.
#pragma once

#include <cstdint>
#include <string>

#include "core/HostTimeInfo.h"
#include "core/MidiEventQueue.h"
#include "host/EffectVST.h"
#include "shell/HeldKeys.h"
#include "shell/TickGrid.h"

class Synth : public IEffectVST {
 public:
  static constexpr int kLearnableControllers = 120;  // 0–119; the rest are channel modes
  static constexpr const char* kOutputLabel = "Kestrion ";

  Synth(const IEffectIdentity& identity, vst::AudioMasterCallback host);

  void ResetProcessing() override;
  void ParameterChanged(int index) override;
  void ActivationChanged(bool active) override;
  void HandleMidiEvent(const IMidiEvent* event) override;

  virtual void AllNotesOff() {}
  virtual void DefineParameters() {}

  // What the engine reads and maintains between blocks.
  const IMidiEventQueue& EventQueue() const { return eventQueue_; }
  const HeldKeys& Keys() const { return heldKeys_; }
  const TickGrid& Grid() const { return tickGrid_; }
  // Parameter bound to a controller, -1 for none or a controller out of range.
  int LearnedParameter(int controller) const;
  bool IgnoresProgramChange() const { return ignoreProgramChange_; }
  void SetIgnoreProgramChange(bool ignore) { ignoreProgramChange_ = ignore; }

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

  // An event's place in the queue: offsets past the first tick move on by
  // half a tick, spreading late events over the next block's first ticks.
  static std::int32_t QueuedOffset(std::int32_t offset, std::int32_t tickLength);

 protected:
  // Takes a learned controller; the learn commands come with the configuration.
  virtual void BindLearnedController() {}

  IMidiEventQueue eventQueue_;
  HeldKeys heldKeys_;
  TickGrid tickGrid_;
  IHostTimeInfo timeInfo_;
  std::int32_t controllerMap_[kLearnableControllers];
  bool learnActive_ = false;
  bool unlearnMode_ = false;
  int capturedController_ = -1;
  bool ignoreProgramChange_ = false;
  std::string startupBankPath_;
};
