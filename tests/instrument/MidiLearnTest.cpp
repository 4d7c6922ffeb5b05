#include <gtest/gtest.h>

#include "instrument/MidiLearn.h"
#include "instrument/ParameterIndex.h"
#include "tests/config/UserFolders.h"
#include "tests/vst2/TestHost.h"

using namespace dsp;

namespace {

constexpr std::uint8_t kControlChange = 0xB0;

class MidiLearnTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testfolders::UseFreshUserFolders(); }

  // Learns `controller` for `parameter`, parameter first.
  void Learn(int controller, int parameter) {
    synth().SetMidiLearn(true, false);
    host.SetParameter(parameter, 0.5f);
    host.Send(0, kControlChange, std::uint8_t(controller), 0);
    ASSERT_FALSE(synth().LearnActive());
  }

  Kestrion& synth() { return *host.synth; }
  testhost::PlayingInstance host;
};

TEST_F(MidiLearnTest, KnobThenControllerBindsAndSwitchesLearnOff) {
  Learn(20, Param::Resonance);
  synth().SetMidiLearn(true, false);
  host.SetParameter(Param::Cutoff, 0.3f);
  EXPECT_TRUE(synth().LearnActive());
  host.Send(0, kControlChange, 74, 10);
  EXPECT_FALSE(synth().LearnActive());
  EXPECT_EQ(synth().LearnedParameter(74), Param::Cutoff);
  EXPECT_EQ(synth().LearnedParameter(20), Param::Resonance);
  // The controller moved while learning is no sound change.
  EXPECT_TRUE(synth().EventQueue().Empty());
}

TEST_F(MidiLearnTest, ControllerThenKnobGivesTheSameBinding) {
  synth().SetMidiLearn(true, false);
  host.Send(0, kControlChange, 74, 10);
  EXPECT_TRUE(synth().LearnActive());
  host.SetParameter(Param::Cutoff, 0.3f);
  EXPECT_FALSE(synth().LearnActive());
  EXPECT_EQ(synth().LearnedParameter(74), Param::Cutoff);
}

TEST_F(MidiLearnTest, AParameterHasAtMostOneControllerAndAControllerIsRebound) {
  Learn(20, Param::Cutoff);
  Learn(74, Param::Cutoff);
  EXPECT_EQ(synth().LearnedParameter(20), -1);
  EXPECT_EQ(synth().LearnedParameter(74), Param::Cutoff);
  Learn(74, Param::Resonance);
  EXPECT_EQ(synth().LearnedParameter(74), Param::Resonance);
  for (int c = 0; c < Synth::kLearnableControllers; ++c) {
    if (c == 74) continue;
    EXPECT_EQ(synth().LearnedParameter(c), -1) << c;
  }
}

TEST_F(MidiLearnTest, UnlearnRemovesOnlyTheBindingOfWhatArrivesFirst) {
  Learn(74, Param::Cutoff);
  Learn(75, Param::Resonance);
  synth().SetMidiLearn(true, true);
  host.Send(0, kControlChange, 74, 0);
  EXPECT_FALSE(synth().LearnActive());
  EXPECT_FALSE(synth().UnlearnMode());
  EXPECT_EQ(synth().LearnedParameter(74), -1);
  EXPECT_EQ(synth().LearnedParameter(75), Param::Resonance);

  synth().SetMidiLearn(true, true);
  host.SetParameter(Param::Resonance, 0.1f);
  EXPECT_FALSE(synth().LearnActive());
  EXPECT_EQ(synth().LearnedParameter(75), -1);
}

TEST_F(MidiLearnTest, NothingIsCapturedWhileLearnIsOffAndUnboundControllersMoveNothing) {
  host.SetParameter(Param::Cutoff, 0.3f);
  host.Send(0, kControlChange, 74, 10);
  EXPECT_EQ(synth().LearnedParameter(74), -1);
  EXPECT_FALSE(synth().EventQueue().Empty());
  host.Render(64);
  EXPECT_TRUE(testhost::Record().automated.empty());
}

TEST_F(MidiLearnTest, AResetCancelsLearning) {
  synth().SetMidiLearn(true, false);
  host.Send(0, kControlChange, 74, 10);
  host.Call(vst::effMainsChanged, 0, 0);
  EXPECT_FALSE(synth().LearnActive());
  host.Call(vst::effMainsChanged, 0, 1);
  host.SetParameter(Param::Cutoff, 0.3f);
  EXPECT_EQ(synth().LearnedParameter(74), -1);
}

TEST_F(MidiLearnTest, AllNotesOffActsAtOnceWhileLearning) {
  host.Send(0, 0x90, 60, 100);
  host.Render(64);
  ASSERT_EQ(synth().Keys().count, 1);
  synth().SetMidiLearn(true, false);
  host.Send(0, kControlChange, 123, 0);
  EXPECT_EQ(synth().Keys().count, 0);
  EXPECT_TRUE(synth().LearnActive());
}

TEST_F(MidiLearnTest, LearnedControllerDrivesItsParameterAndTellsTheHost) {
  Learn(74, Param::Cutoff);
  testhost::Record().automated.clear();
  host.Send(10, kControlChange, 74, 127);
  EXPECT_NEAR(synth().Parameter(Param::Cutoff)->ToNormalized(), 0.5, 1e-6);  // not before it falls due
  host.Render(64);
  EXPECT_NEAR(synth().Parameter(Param::Cutoff)->ToNormalized(), 1.0, 1e-9);
  ASSERT_EQ(testhost::Record().automated.size(), 1u);
  EXPECT_EQ(testhost::Record().automated[0].first, Param::Cutoff);
  EXPECT_FLOAT_EQ(testhost::Record().automated[0].second, 1.0f);

  // The same value again changes nothing and tells the host nothing.
  host.Send(0, kControlChange, 74, 127);
  host.Render(64);
  EXPECT_EQ(testhost::Record().automated.size(), 1u);

  host.Send(0, kControlChange, 74, 0);
  host.Render(64);
  EXPECT_NEAR(synth().Parameter(Param::Cutoff)->ToNormalized(), 0.0, 1e-9);
  EXPECT_EQ(testhost::Record().automated.size(), 2u);
}

TEST_F(MidiLearnTest, ControllerOneStaysTheModulationWheel) {
  Learn(1, Param::Cutoff);
  EXPECT_EQ(synth().LearnedParameter(1), Param::Cutoff);  // the binding is kept
  testhost::Record().automated.clear();
  host.Send(0, kControlChange, 1, 127);
  host.Render(64);
  EXPECT_DOUBLE_EQ(synth().Engine().keys.modWheel, 1.0);
  EXPECT_NEAR(synth().Parameter(Param::Cutoff)->ToNormalized(), 0.5, 1e-6);
  EXPECT_TRUE(testhost::Record().automated.empty());
}

TEST(MidiLearnStateMachine, OneCaptureIsNotEnoughToLearnButEnoughToUnlearn) {
  ControllerMap map;
  for (std::int32_t& entry : map) entry = -1;
  map[10] = 5;
  map[11] = 5;  // as a hand-edited file might have it
  MidiLearn learn;
  learn.active = true;
  learn.capturedParameter = 5;
  EXPECT_FALSE(BindCaptures(learn, map));
  EXPECT_TRUE(learn.active);
  learn.unlearn = true;
  EXPECT_TRUE(BindCaptures(learn, map));
  EXPECT_EQ(map[10], -1);
  EXPECT_EQ(map[11], -1);
  EXPECT_FALSE(learn.active);
  // Learning that is off takes nothing.
  learn.capturedController = 3;
  EXPECT_FALSE(BindCaptures(learn, map));
  EXPECT_EQ(map[3], -1);
}

}  // namespace
