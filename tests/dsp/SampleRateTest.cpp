#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dsp/PitchTables.h"
#include "dsp/SampleRate.h"
#include "tests/dsp/DspTestSupport.h"

using namespace dsp;

namespace {

class SampleRateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseTablesAt44100();
    FollowSampleRate(clock, 48000.0, eg1, eg2);
    eg1.level = 0.5;
    eg1.stage = kEnvelopeDecaySustain;
    eg2.level = 0.25;
    eg2.stage = kEnvelopeRelease;
  }
  void TearDown() override { DropTables(clock); }

  SampleClock clock;
  Envelope eg1;
  Envelope eg2;
};

TEST_F(SampleRateTest, OnlyRatesFrom8000To768000HzAreTakenAndARefusalKeepsTheOldRate) {
  const PitchTables* tables48k = clock.tables;
  const double refused[] = {std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(),
                            -44100.0,
                            0.0,
                            500.0,
                            2000.0,
                            7999.0,
                            768001.0,
                            1e12};
  for (double rate : refused) {
    EXPECT_FALSE(FollowSampleRate(clock, rate, eg1, eg2)) << rate;
    EXPECT_EQ(clock.sampleRate, 48000.0) << rate;
    EXPECT_EQ(clock.controlTickLength, 48) << rate;
  }
  EXPECT_EQ(clock.tables, tables48k);
  EXPECT_EQ(eg1.level, 0.5);
  EXPECT_EQ(eg2.stage, kEnvelopeRelease);
  EXPECT_TRUE(FollowSampleRate(clock, 8000.0, eg1, eg2));
  EXPECT_EQ(clock.controlTickLength, 8);
  EXPECT_TRUE(FollowSampleRate(clock, 768000.0, eg1, eg2));
  EXPECT_EQ(clock.controlTickLength, 768);
}

TEST_F(SampleRateTest, FirstRefusedRateFallsBackToTheDefault) {
  SampleClock fresh;
  EXPECT_TRUE(FollowSampleRate(fresh, std::numeric_limits<double>::quiet_NaN(), eg1, eg2));
  EXPECT_EQ(fresh.sampleRate, 44100.0);
  EXPECT_EQ(fresh.controlTickLength, 44);
  ASSERT_NE(fresh.tables, nullptr);
  EXPECT_EQ(fresh.tables->sampleRate, 44100.0);
  DropTables(fresh);
}

TEST_F(SampleRateTest, OnlyANewRateRetunesAndSilencesTheEnvelopes) {
  EXPECT_FALSE(FollowSampleRate(clock, 48000.0, eg1, eg2));
  EXPECT_EQ(eg1.level, 0.5);
  EXPECT_EQ(eg1.stage, kEnvelopeDecaySustain);
  EXPECT_TRUE(FollowSampleRate(clock, 96000.0, eg1, eg2));
  EXPECT_EQ(clock.tables->sampleRate, 96000.0);
  EXPECT_EQ(eg1.level, 0.0);
  EXPECT_EQ(eg2.stage, kEnvelopeIdle);
  EXPECT_DOUBLE_EQ(eg1.rateConstant, 2.302585092994046 / 96000.0);  // the same times in seconds
}

TEST(ControlTickLength, IsAboutAMillisecondAndNeverZero) {
  EXPECT_EQ(ControlTickLength(44100.0), 44);
  EXPECT_EQ(ControlTickLength(48000.0), 48);
  EXPECT_EQ(ControlTickLength(88200.0), 88);
  EXPECT_EQ(ControlTickLength(192000.0), 192);
  EXPECT_EQ(ControlTickLength(999.0), 1);
  EXPECT_EQ(ControlTickLength(0.0), 1);
  EXPECT_EQ(ControlTickLength(std::numeric_limits<double>::quiet_NaN()), 1);
  EXPECT_GE(ControlTickLength(std::numeric_limits<double>::infinity()), 1);
}

}  // namespace
