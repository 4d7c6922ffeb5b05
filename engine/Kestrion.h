// The instrument: its parameters, its program record and its sound.
#pragma once

#include "engine/dsp/Instrument.h"
#include "shell/Synth.h"

class Kestrion : public Synth {
 public:
  static constexpr int kParameterCount = 70;
  static constexpr int kPresetCount = 64;
  static const IEffectIdentity kIdentity;

  explicit Kestrion(vst::AudioMasterCallback host);
  ~Kestrion() override;

  void DefineParameters() override;
  void ParameterChanged(int index) override;
  void RenderBlock(double** inputs, double** outputs, int frames) override;
  void ResetProcessing() override;
  void ChangeSampleRate(double rate) override;
  void AllNotesOff() override;
  bool SerializeCurrentState(IStateBuffer& buffer) override;
  int UnserializeState(const IStateBuffer& buffer, int position) override;
  int MeasureState(const IStateBuffer& buffer, int position) const override;
  int TranscribeState(const IStateBuffer& buffer, int position, IStateBuffer& out) override;

  // The sound engine's state, for tests that look inside.
  const Instrument& Engine() const { return engine_; }

 private:
  // The record's tag, the current program's number and its name.
  void WriteRecordHead(IStateBuffer& buffer) const;
  void ApplyParameter(int index, double v);
  bool ApplyVoiceParameter(int index, double v, std::int32_t n);
  bool ApplyArpeggiatorParameter(int index, std::int32_t n);
  void ChangeKeyAssignMode(int mode);
  void TakeLearnedController(int controller, int value);

  Instrument engine_;
};

// A new instance as a host gets it: its effect record, or null.
vst::AEffect* CreateKestrion(vst::AudioMasterCallback host);
