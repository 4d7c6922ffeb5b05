// The editor ticking and drawing on its own thread while the host automates a
// parameter and the audio thread moves another through a learned controller.
// The other threads only record values; the editor applies them at its tick.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "instrument/Kestrion.h"
#include "instrument/ParameterIndex.h"
#include "tests/ui/EditorFixture.h"
#include "tests/vst2/TestHost.h"
#include "ui/HeadlessEditor.h"
#include "vst2/VstPlugin.h"

using namespace vst;

namespace {

constexpr int kLearnedController = 74;
constexpr int kBlocks = 200;
constexpr int kBlockFrames = 256;
// The automation and editor loops take one step at least, and end with the
// render or after this many steps.
constexpr int kMostSteps = 200000;

}  // namespace

TEST(EditorConcurrency, AutomationLearnedControllersAndEditorTicksRunTogether) {
  testhost::Instance host("", testhost::MakeHeadlessEditor);
  AEffect* effect = host.effect;
  host.Call(effSetSampleRate, 0, 0, nullptr, 44100.0f);
  host.Call(effSetBlockSize, 0, kBlockFrames);
  host.Call(effMainsChanged, 0, 1);
  auto* synth = InstrumentOf(effect);
  auto* editor = static_cast<HeadlessEditor*>(&EditorOf(effect)->Window());
  Control* cutoff = editortest::FindBound(*editor, Param::Cutoff);
  Control* resonance = editortest::FindBound(*editor, Param::Resonance);
  Control* learnSwitch = editortest::FindBound(*editor, kLearnSwitchCommand);
  int parent = 0;
  host.Call(effEditOpen, 0, 0, &parent);

  // Learning: the switch on, the controller moved, then the parameter.
  learnSwitch->SetValue(1.0);
  synth->SetMidiLearn(true, false);
  host.Midi(0xB0, kLearnedController, 0);
  effect->processReplacing(effect, nullptr, nullptr, 0);  // the controller is taken at the next block
  effect->setParameter(effect, Param::Cutoff, 0.5f);
  ASSERT_EQ(synth->LearnedParameter(kLearnedController), Param::Cutoff);
  EXPECT_EQ(learnSwitch->Value(), 1.0);
  editor->Tick();
  EXPECT_EQ(learnSwitch->Value(), 0.0);
  EXPECT_DOUBLE_EQ(cutoff->Value(), 0.5);

  std::atomic<bool> rendered{false};
  std::thread audio([&] {
    std::vector<float> left(kBlockFrames), right(kBlockFrames);
    float* outputs[2] = {left.data(), right.data()};
    for (int n = 0; n < kBlocks; ++n) {
      host.Midi(0xB0, kLearnedController, n % 128);
      effect->processReplacing(effect, nullptr, outputs, kBlockFrames);
    }
    rendered = true;
  });
  float lastAutomated = 0;
  std::thread automation([&] {
    for (int n = 0; n < kMostSteps && (n == 0 || !rendered); ++n) {
      lastAutomated = (n % 100) / 100.0f;
      effect->setParameter(effect, Param::Resonance, lastAutomated);
    }
  });
  std::thread ui([&] {
    for (int n = 0; n < kMostSteps && (n == 0 || !rendered); ++n) {
      editor->Tick();
      host.Call(effEditIdle);  // the lights follow the engine
    }
  });
  audio.join();
  automation.join();
  ui.join();

  // The last value each thread recorded is what the next tick shows.
  editor->Tick();
  EXPECT_DOUBLE_EQ(cutoff->Value(), ((kBlocks - 1) % 128) / 127.0);
  EXPECT_DOUBLE_EQ(resonance->Value(), lastAutomated);
  EXPECT_GT(editor->PresentCount(), 1);
  host.Call(effEditClose);
}
