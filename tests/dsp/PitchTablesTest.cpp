#include <gtest/gtest.h>

#include "dsp/PitchTables.h"
#include "dsp/SharedPitchTables.h"
#include "tests/dsp/DspTestSupport.h"

using namespace dsp;

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
  // Steps between keys lie between their frequencies.
  EXPECT_GT(PitchToFrequency(127), 8.176);
  EXPECT_LT(PitchToFrequency(127), PitchToFrequency(KeyToPitch(1)));
  EXPECT_GT(PitchToFrequency(17279), PitchToFrequency(KeyToPitch(134)));
  EXPECT_LT(PitchToFrequency(17279), 19912.127);
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
  EXPECT_EQ(a->sampleRate, 48000.0);
  EXPECT_EQ(c->sampleRate, 96000.0);
  ReleasePitchTables(a);
  EXPECT_EQ(b->sampleRate, 48000.0);  // still in use by b
  ReleasePitchTables(b);
  ReleasePitchTables(c);
  ReleasePitchTables(nullptr);
  EXPECT_EQ(LivePitchTableSets(), before);
}

}  // namespace
