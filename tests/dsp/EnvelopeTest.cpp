#include <gtest/gtest.h>

#include "dsp/Envelope.h"
#include "dsp/Gate.h"

using namespace dsp;

namespace {

constexpr double kRate = 44100.0;

Envelope EnvelopeAt44100(double attack, double decay, double sustain, double release) {
  Envelope e;
  ResetEnvelopeForRate(e, kRate);
  SetAttack(e, attack);
  SetDecay(e, decay);
  SetSustain(e, sustain);
  SetRelease(e, release);
  return e;
}

// Steps until the stage changes or `limit` steps pass; returns the steps taken.
int StepUntilStageChanges(Envelope& e, int limit) {
  const std::int32_t stage = e.stage;
  int steps = 0;
  while (e.stage == stage && steps < limit) {
    StepEnvelope(e);
    ++steps;
  }
  return steps;
}

TEST(Envelope, IdleEnvelopeStandsStill) {
  Envelope e = EnvelopeAt44100(0, 0, 1, 0);
  StepEnvelope(e);
  EXPECT_EQ(e.level, 0.0);
  EXPECT_EQ(e.stage, kEnvelopeIdle);
}

TEST(Envelope, FastestAttackReachesFullLevelInFiveMilliseconds) {
  Envelope e = EnvelopeAt44100(0, 0.5, 0.5, 0);
  RestartEnvelope(e);
  StepEnvelope(e);
  EXPECT_NEAR(e.level, 0.0106 * 10.0 / 9.0, 0.001);  // about 1 % of 10/9
  const int steps = StepUntilStageChanges(e, 44100);
  EXPECT_LT(steps, 230);  // 5.2 ms
  EXPECT_EQ(e.stage, kEnvelopeDecaySustain);
  EXPECT_EQ(e.level, 1.0);
}

TEST(Envelope, DecaySettlesOnTheSustainLevelAndFollowsItsChangesBothWays) {
  Envelope e = EnvelopeAt44100(0, 0, 0.6, 0);
  RestartEnvelope(e);
  for (int i = 0; i < 4410; ++i) StepEnvelope(e);
  EXPECT_EQ(e.stage, kEnvelopeDecaySustain);
  EXPECT_NEAR(e.level, 0.6, 1e-9);
  SetSustain(e, 0.2);
  StepEnvelope(e);
  EXPECT_LT(e.level, 0.6);
  EXPECT_GT(e.level, 0.2);
  for (int i = 0; i < 4410; ++i) StepEnvelope(e);
  EXPECT_NEAR(e.level, 0.2, 1e-9);
  SetSustain(e, 0.9);
  for (int i = 0; i < 4410; ++i) StepEnvelope(e);
  EXPECT_NEAR(e.level, 0.9, 1e-9);
}

TEST(Envelope, ReleaseEndsInExactSilence) {
  for (double release : {0.0, 0.3, 0.6}) {
    Envelope e = EnvelopeAt44100(0, 0, 0.7, release);
    RestartEnvelope(e);
    for (int i = 0; i < 4410; ++i) StepEnvelope(e);
    ReleaseEnvelope(e);
    StepUntilStageChanges(e, 100 * 44100);
    EXPECT_EQ(e.stage, kEnvelopeIdle) << release;
    EXPECT_EQ(e.level, 0.0) << release;
  }
}

TEST(Envelope, DecayToZeroSustainEndsIdleInsteadOfCreepingOnward) {
  Envelope e = EnvelopeAt44100(0, 0, 0, 0);
  RestartEnvelope(e);
  StepUntilStageChanges(e, 44100);  // attack
  const int steps = StepUntilStageChanges(e, 10 * 44100);
  EXPECT_LT(steps, 44100);
  EXPECT_EQ(e.stage, kEnvelopeIdle);
  EXPECT_EQ(e.level, 0.0);
}

TEST(Envelope, RetriggerDuringReleaseRisesFromTheCurrentLevel) {
  Envelope e = EnvelopeAt44100(0.5, 0, 1, 0.5);
  e.level = 0.4;
  ReleaseEnvelope(e);
  StepEnvelope(e);
  const double released = e.level;
  RestartEnvelope(e);
  StepEnvelope(e);
  EXPECT_GT(e.level, released);
  EXPECT_LT(e.level, 0.45);
}

TEST(Envelope, SettingFollowsOnlyItsOwnRunningStage) {
  Envelope e = EnvelopeAt44100(0.5, 0.5, 0.5, 0.5);
  RestartEnvelope(e);
  const double slow = e.coefficient;
  SetAttack(e, 0.0);
  EXPECT_GT(e.coefficient, slow);
  const double fast = e.coefficient;
  SetRelease(e, 1.0);
  SetDecay(e, 1.0);
  EXPECT_EQ(e.coefficient, fast);
}

TEST(Envelope, TenfoldApproachTimesSpanMillisecondsToSeconds) {
  Envelope e;
  ResetEnvelopeForRate(e, kRate);
  // Seconds for a tenfold approach: ln 10 / (coefficient × rate).
  EXPECT_NEAR(2.302585092994046 / (EnvelopeCoefficient(e, 0.0) * kRate), 0.0049, 0.0001);
  EXPECT_NEAR(2.302585092994046 / (EnvelopeCoefficient(e, 0.5) * kRate), 1.87, 0.01);
  EXPECT_NEAR(2.302585092994046 / (EnvelopeCoefficient(e, 1.0) * kRate), 19.5, 0.1);
}

TEST(Envelope, TriggerChangeRestartsFromSilence) {
  Envelope e = EnvelopeAt44100(0, 0, 0.8, 0);
  e.level = 0.8;
  e.stage = kEnvelopeDecaySustain;
  RestartEnvelopeFromZero(e);
  EXPECT_EQ(e.level, 0.0);
  EXPECT_EQ(e.stage, kEnvelopeAttack);
}

class GateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    eg1 = EnvelopeAt44100(0, 0, 0.5, 0);
    eg2 = EnvelopeAt44100(0, 0, 0.5, 0);
  }
  void Settle() {
    for (int i = 0; i < 4410; ++i) {
      StepEnvelope(eg1);
      StepEnvelope(eg2);
    }
  }
  Gate gate;
  Envelope eg1;
  Envelope eg2;
};

TEST_F(GateTest, OpeningAClosedGateClearsTheVoicesAndStartsBothEnvelopes) {
  gate.held[2] = gate.sounding[3] = true;
  gate.shareState = 2;
  OpenGate(gate, eg1, eg2, false);
  EXPECT_TRUE(gate.open);
  EXPECT_TRUE(gate.audible);
  EXPECT_EQ(gate.shareState, 0);
  EXPECT_FALSE(gate.held[2]);
  EXPECT_FALSE(gate.sounding[3]);
  EXPECT_EQ(eg1.stage, kEnvelopeAttack);
  EXPECT_EQ(eg2.stage, kEnvelopeAttack);
}

TEST_F(GateTest, WhileOpenSingleTriggerPlaysLegatoAndMultipleTriggerRestartsFromTheLevelReached) {
  OpenGate(gate, eg1, eg2, false);
  Settle();
  gate.sounding[0] = true;
  OpenGate(gate, eg1, eg2, false);
  EXPECT_EQ(eg2.stage, kEnvelopeDecaySustain);
  EXPECT_TRUE(gate.sounding[0]);
  OpenGate(gate, eg1, eg2, true);
  EXPECT_EQ(eg1.stage, kEnvelopeAttack);
  EXPECT_EQ(eg2.stage, kEnvelopeAttack);
  EXPECT_NEAR(eg2.level, 0.5, 1e-9);  // not reset
}

TEST_F(GateTest, ClosingReleasesButKeepsReleasedVoicesSounding) {
  OpenGate(gate, eg1, eg2, false);
  gate.held[1] = gate.sounding[1] = true;
  gate.shareState = 3;
  CloseGate(gate, eg1, eg2);
  EXPECT_FALSE(gate.open);
  EXPECT_FALSE(gate.held[1]);
  EXPECT_TRUE(gate.sounding[1]);
  EXPECT_EQ(gate.shareState, 0);
  EXPECT_EQ(eg2.stage, kEnvelopeRelease);
}

TEST_F(GateTest, ClosingAnIdleEnvelopeLeavesItIdleAfterOneStep) {
  CloseGate(gate, eg1, eg2);
  StepEnvelope(eg2);
  EXPECT_EQ(eg2.stage, kEnvelopeIdle);
  EXPECT_EQ(eg2.level, 0.0);
}

}  // namespace
