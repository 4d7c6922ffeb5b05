#include <gtest/gtest.h>

#include "dsp/PitchTables.h"
#include "dsp/SharedPitchTables.h"
#include "tests/dsp/DspTestSupport.h"

namespace {

class PitchTablesTest : public ::testing::Test {
 protected:
  void SetUp() override { UseTablesAt44100(); }
};

TEST_F(PitchTablesTest, KeysLandOnTheirNoteFrequencies) {
  EXPECT_DOUBLE_EQ(PitchToFrequency(0), 8.176);
  EXPECT_DOUBLE_EQ(PitchToFrequency(KeyToPitch(60)), 261.626);
  EXPECT_DOUBLE_EQ(PitchToFrequency(KeyToPitch(69)), 440.0);
  EXPECT_DOUBLE_EQ(PitchToFrequency(KeyToPitch(124)), 10548.08);
  EXPECT_DOUBLE_EQ(PitchToFrequency(KeyToPitch(127)), 12543.85);
  EXPECT_DOUBLE_EQ(PitchToFrequency(KeyToPitch(135)), 19912.127);
}

TEST_F(PitchTablesTest, StepsBetweenKeysInterpolateLinearly) {
  EXPECT_DOUBLE_EQ(PitchToFrequency(127), 8.176 + (8.662 - 8.176) * 127 / 128);
  const double f17279 = PitchToFrequency(17279);
  EXPECT_GT(f17279, PitchToFrequency(KeyToPitch(134)));
  EXPECT_LT(f17279, 19912.127);
}

TEST_F(PitchTablesTest, PitchesBeyondTheEndsHoldTheEndFrequencies) {
  EXPECT_DOUBLE_EQ(PitchToFrequency(17280), 19912.127);
  EXPECT_DOUBLE_EQ(PitchToFrequency(40000), 19912.127);
  EXPECT_DOUBLE_EQ(PitchToFrequency(-128), 7.7171163805);
  EXPECT_DOUBLE_EQ(PitchToFrequency(-17280), 0.0033570162);
  EXPECT_DOUBLE_EQ(PitchToFrequency(-99999), 0.0033570162);
}

TEST_F(PitchTablesTest, FrequencySearchFindsThePitchIndex) {
  EXPECT_EQ(PitchOfFrequency(440.0), 8832);
  EXPECT_EQ(PitchOfFrequency(PitchToFrequency(6001)), 6001);
  EXPECT_EQ(PitchOfFrequency(PitchToFrequency(12345)), 12345);
}

TEST_F(PitchTablesTest, ConcertAIncrementAt44100) {
  EXPECT_EQ(Tables44100().sampleRate, 44100.0);
  EXPECT_EQ(Tables44100().phaseIncrement[8832], 2678267);
}

TEST_F(PitchTablesTest, FilterFrequencyIsUnwarpedRadiansPerSample) {
  EXPECT_DOUBLE_EQ(Tables44100().filterOmega[8832], 440.0 * 2.0 * 3.141592653589793 / 44100.0);
}

TEST_F(PitchTablesTest, ResonanceScaleFallsFromLowToHighNotes) {
  EXPECT_DOUBLE_EQ(Tables44100().resonanceGain[KeyToPitch(69)], 4.1);
  EXPECT_DOUBLE_EQ(Tables44100().resonanceGain[KeyToPitch(100)], 4.005);
  const double middle = Tables44100().resonanceGain[KeyToPitch(84)];  // about 1047 Hz
  EXPECT_LT(middle, 4.1);
  EXPECT_GT(middle, 4.005);
}

TEST_F(PitchTablesTest, TopPitchFitsThirtyTwoBitsAtTheLowestRate) {
  static PitchTables at8000;
  BuildPitchTables(at8000, 8000.0);
  EXPECT_GT(at8000.phaseIncrement[kTopPitch], 0);
  EXPECT_LT(at8000.phaseIncrement[kTopPitch], kPhaseCycle * 4);
}

// Instances at one rate share one set; a set in use is never rebuilt for
// another rate, so one instance's reset cannot retune another.
TEST(SharedPitchTables, OneSetPerRateLivesAsLongAsItsUsers) {
  const int before = LivePitchTableSets();
  const PitchTables* a = AcquirePitchTables(48000.0);
  const PitchTables* b = AcquirePitchTables(48000.0);
  const PitchTables* c = AcquirePitchTables(96000.0);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_EQ(LivePitchTableSets(), before + 2);
  EXPECT_EQ(a->phaseIncrement[8832], std::int32_t(440.0 * 268435456.0 / 48000.0));
  EXPECT_EQ(c->phaseIncrement[8832], std::int32_t(440.0 * 268435456.0 / 96000.0));
  ReleasePitchTables(a);
  EXPECT_EQ(b->sampleRate, 48000.0);  // still in use by b
  ReleasePitchTables(b);
  ReleasePitchTables(c);
  ReleasePitchTables(nullptr);
  EXPECT_EQ(LivePitchTableSets(), before);
}

}  // namespace
