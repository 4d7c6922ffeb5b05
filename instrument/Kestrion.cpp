#include "instrument/Kestrion.h"

#include <new>

#include "dsp/Arpeggiator.h"
#include "dsp/DueEvents.h"
#include "dsp/KeyAssign.h"
#include "dsp/ModGenerator.h"
#include "dsp/NoteRouter.h"
#include "dsp/RenderLoop.h"
#include "dsp/SampleRate.h"
#include "instrument/PanelCommands.h"
#include "instrument/ParameterIndex.h"
#include "plugin/EditorView.h"
#include "plugin/Version.h"

using namespace dsp;

const EffectIdentity Kestrion::kIdentity = {
    "Kestrion",          // effect name
    "",                  // product name
    "Harrowvale Music",  // maker
    version::kWord,
    0x31343136,  // unique ID "1416"
    0x48727776,  // maker code "Hrwv"
    kParameterCount,
    kPresetCount,
    0,     // latency
    true,  // handles MIDI
    true,  // uses chunks
    true,  // instrument
};

Kestrion::Kestrion(HostLink& host) : Synth(kIdentity, host) {
  PrepareInstrument(engine_);
  engine_.tuning = Tuning();
  DefineParameters();
  // Until a startup program is loaded, the defaults reach the engine (and
  // the panel's buttons) the way a restored program would.
  NotifyAllParameters();
  // Plays at the default rate until the host's first reset.
  if (!TakeStartupTables(engine_.clock)) throw std::bad_alloc();
  LoadStartupBank();
}

Kestrion::~Kestrion() { DropTables(engine_.clock); }

void Kestrion::ChangeSampleRate(double rate) {
  // A rate the engine cannot run at is not taken: the plug-in keeps its own.
  if (IsUsableSampleRate(rate)) Synth::ChangeSampleRate(rate);
}

void Kestrion::ResetProcessing() {
  EngineHold hold(*this);
  Synth::ResetProcessing();
  if (FollowSampleRate(engine_.clock, SampleRate(), engine_.eg1, engine_.eg2)) {
    engine_.filter.cachedCutoff = -1;  // the cached coefficients belong to the old rate
  }
  tickGrid_.length = engine_.clock.controlTickLength;
  ResetModGenerator(engine_.mg1);
  ResetModGenerator(engine_.mg2);
  AllNotesOff();
}

void Kestrion::AllNotesOff() { dsp::AllNotesOff(engine_, heldKeys_); }

// Between BeginProcess and EndProcess, holding the engine.
void Kestrion::RenderBlock(double* left, double* right, int frames) {
  if (frames <= 0 || left == nullptr || right == nullptr) return;
  if (engine_.arp.active && !engine_.arp.clockedByMg2)
    ArpTempoSync(engine_.arp, timeInfo_.tempo, timeInfo_.quarterNotePosition, SampleRate(), tickGrid_);
  dsp::RenderBlock(engine_, tickGrid_, heldKeys_, left, right, frames, [this] {
    eventQueue_.TakeDue(tickGrid_.length, [this](const MidiEvent& event) {
      const MidiMessage message{event.status, event.data1, event.data2};
      const int controller = TakeDueEvent(engine_, heldKeys_, message);
      if (controller >= 0) TakeLearnedController(controller, midi::DataOf(message.data2));
    });
  });
}

void Kestrion::PublishAfterBlock() { lightFlags_.store(LightFlags(), std::memory_order_relaxed); }

unsigned Kestrion::LightFlags() const {
  unsigned flags = 0;
  for (int i = 0; i < kOscillatorCount; ++i)
    if (engine_.gate.held[i]) flags |= panel::kVco1Light << i;
  if (engine_.mg1.firstHalf) flags |= panel::kMg1Light;
  if (engine_.mg2.firstHalf) flags |= panel::kMg2Light;
  if (engine_.arp.stepLight) flags |= panel::kArpStepLight;
  return flags;
}

void Kestrion::ShowButtons(int index) {
  switch (index) {
    case Param::KeyAssign:
      for (int mode = 0; mode < panel::kKeyAssignModes; ++mode)
        ShowOnEditor(panel::kKeyAssignButtons[mode], mode == engine_.keys.mode ? 1.0 : 0.0, true);
      break;
    case Param::Hold: ShowOnEditor(panel::kHoldButton, engine_.keys.hold ? 1.0 : 0.0, true); break;
    case Param::Effects: ShowOnEditor(panel::kEffectsButton, engine_.modulation.effects ? 1.0 : 0.0, true); break;
    default: break;
  }
}

void Kestrion::TakeLearnedController(int controller, int value) {
  const int index = LearnedParameter(controller);
  EffectParameter* parameter = Parameter(index);
  if (parameter == nullptr) return;
  const double normalised = value / 127.0;
  if (parameter->ToNormalized() == normalised) return;
  SetParameterFromEngine(index, normalised);
  ShowOnEditor(index, normalised, true);
}
