#include "engine/Kestrion.h"

#include <new>

#include "core/EditorView.h"
#include "engine/dsp/Arpeggiator.h"
#include "engine/dsp/DueEvents.h"
#include "engine/dsp/KeyAssign.h"
#include "engine/dsp/NoteRouter.h"
#include "engine/dsp/ModGenerator.h"
#include "engine/dsp/RenderLoop.h"
#include "engine/dsp/SampleRate.h"
#include "host/VstEntry.h"

const IEffectIdentity Kestrion::kIdentity = {
    "Kestrion",          // effect name
    "",                  // product name
    "Harrowvale Music",  // maker
    0x00020302,          // version 2.3.2
    0x31343136,          // unique ID "1416"
    0x48727776,          // maker code "Hrwv"
    kParameterCount,
    kPresetCount,
    "0-1 0-2",
    0,     // latency
    true,  // handles MIDI
    true,  // uses chunks
    true,  // instrument
};

Kestrion::Kestrion(vst::AudioMasterCallback host) : Synth(kIdentity, host) {
  PrepareInstrument(engine_);
  engine_.tuning = Tuning();
  DefineParameters();
  // Until a startup program is loaded, the defaults reach the engine the way
  // a restored program would.
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
  Lock lock(Mutex());
  Synth::ResetProcessing();
  if (FollowSampleRate(engine_.clock, SampleRate(), engine_.eg1, engine_.eg2)) {
    engine_.filter.cachedCutoff = -1;  // the cached coefficients belong to the old rate
  }
  tickGrid_.length = engine_.clock.controlTickLength;
  ResetModGenerator(engine_.mg1);
  ResetModGenerator(engine_.mg2);
  AllNotesOff();
}

void Kestrion::AllNotesOff() {
  Lock lock(Mutex());
  ::AllNotesOff(engine_, heldKeys_);
}

// Runs under the plug-in mutex that the process callbacks hold.
void Kestrion::RenderBlock(double** inputs, double** outputs, int frames) {
  ForwardMidiThru();
  if (frames <= 0 || outputs == nullptr || OutputCount() < 2) return;
  if (engine_.arp.active && !engine_.arp.clockedByMg2) {
    GetHostTimeInfo(&timeInfo_);
    ArpTempoSync(engine_.arp, timeInfo_.tempo, timeInfo_.quarterNotePosition, SampleRate(), tickGrid_);
  }
  ::RenderBlock(engine_, tickGrid_, heldKeys_, outputs[0], outputs[1], frames, [this] {
    eventQueue_.TakeDue(tickGrid_.length, [this](const IMidiEvent& event) {
      const MidiMessage message{event.status, event.data1, event.data2};
      const int controller = TakeDueEvent(engine_, heldKeys_, message);
      if (controller >= 0) TakeLearnedController(controller, midi::DataOf(message.data2));
    });
  });
}

void Kestrion::TakeLearnedController(int controller, int value) {
  const int index = LearnedParameter(controller);
  IEffectParameter* parameter = Parameter(index);
  if (parameter == nullptr) return;
  const double normalised = value / 127.0;
  if (parameter->ToNormalized() == normalised) return;
  SetParameterFromEditor(index, normalised);
  if (Editor()) Editor()->ShowParameterValue(index, normalised, true);
}

vst::AEffect* CreateKestrion(vst::AudioMasterCallback host) {
  return CreateEffect(host, [](vst::AudioMasterCallback h) -> IEffectVST* { return new Kestrion(h); });
}
