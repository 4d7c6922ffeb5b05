// The instrument: its parameters, its program record and its sound.
#pragma once

#include <atomic>

#include "dsp/Instrument.h"
#include "instrument/Synth.h"

class Kestrion : public Synth {
 public:
  static constexpr int kParameterCount = 70;
  static constexpr int kPresetCount = 64;
  static const EffectIdentity kIdentity;

  explicit Kestrion(HostLink& host);
  ~Kestrion() override;

  void DefineParameters() override;
  void ApplyParameterToEngine(int index, double value) override;
  void RenderBlock(double* left, double* right, int frames) override;
  void ResetProcessing() override;
  void ChangeSampleRate(double rate) override;
  void AllNotesOff() override;
  bool SerializeCurrentState(StateBuffer& buffer) override;
  int UnserializeState(const StateBuffer& buffer, int position) override;
  int MeasureState(const StateBuffer& buffer, int position) const override;
  int TranscribeState(const StateBuffer& buffer, int position, StateBuffer& out) override;
  // Any thread, lock-free: the lights (panel::LightBit) as the audio thread
  // left them after its last block, for an editor to show at its tick.
  unsigned Lights() const override { return lightFlags_.load(std::memory_order_relaxed); }

  // The sound engine's state, for tests that look inside.
  const dsp::Instrument& Engine() const { return engine_; }

 private:
  // The record's tag, the current program's number and its name.
  void WriteRecordHead(StateBuffer& buffer) const;
  void ApplyParameter(int index, double v);
  bool ApplyVoiceParameter(int index, double v, std::int32_t n);
  bool ApplyArpeggiatorParameter(int index, std::int32_t n);
  void ChangeKeyAssignMode(int mode);
  void TakeLearnedController(int controller, int value);
  // Records for the editor which of the latching buttons the parameter
  // `index` lights.
  void ShowButtons(int index);
  void PublishAfterBlock() override;
  // The engine's light flags as panel::LightBit, for the editor's idle tick.
  unsigned LightFlags() const;

  dsp::Instrument engine_;
  // Written by the audio thread after each block, read by the editor.
  std::atomic<unsigned> lightFlags_{0};
};
