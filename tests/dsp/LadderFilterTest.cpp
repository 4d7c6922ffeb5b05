#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

#include "dsp/Envelope.h"
#include "dsp/LadderFilter.h"
#include "tests/dsp/DspTestSupport.h"

using namespace dsp;

namespace {

constexpr double kTwoPi = 2 * 3.141592653589793;

class LadderFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseTablesAt44100();
    filter.cutoffPitch = CutoffPitchOf(0.25);
    UpdateCutoff(filter, 0.0, 0.0, 0.0);
  }

  // Peak output over the last half of a second of a sine at `hz`.
  double SinePeak(double hz, double amplitude) {
    double peak = 0.0;
    for (int i = 0; i < 44100; ++i) {
      const double y = FilterSample(filter, amplitude * std::sin(kTwoPi * hz * i / 44100.0), eg1, Tables44100());
      if (i >= 22050) peak = std::fmax(peak, std::fabs(y));
    }
    return peak;
  }

  double SilenceRms(int samples) {
    double sum = 0.0;
    for (int i = 0; i < samples; ++i) {
      const double y = FilterSample(filter, 0.0, eg1, Tables44100());
      sum += y * y;
    }
    return std::sqrt(sum / samples);
  }

  LadderFilter filter;
  Envelope eg1;
};

TEST_F(LadderFilterTest, CutOffKnobMapsToPitch) {
  EXPECT_DOUBLE_EQ(CutoffPitchOf(0.25), 8640.0);
  EXPECT_DOUBLE_EQ(CutoffPitchOf(1.0), 17280.0);
  EXPECT_DOUBLE_EQ(CutoffPitchOf(0.0), 0.0);
}

TEST_F(LadderFilterTest, NoResonancePassesLowNotesAtUnityGain) {
  filter.state[0] = filter.state[2] = 0.0;
  EXPECT_NEAR(SinePeak(20.0, 0.8), 0.8, 0.01);
}

TEST_F(LadderFilterTest, FourPolesCutTwentyFourDecibelsAnOctave) {
  // Cutoff at key 67.5, about 370 Hz: three octaves up is about 72 dB down.
  const double passed = SinePeak(2960.0, 1.0);
  EXPECT_LT(passed, 0.0005);
  EXPECT_GT(passed, 0.00005);
}

TEST_F(LadderFilterTest, RingsFromItsInitialStatesNearFullResonance) {
  SetResonance(filter, 0.98);
  SilenceRms(4410);
  EXPECT_GT(SilenceRms(44100), 0.05);
}

TEST_F(LadderFilterTest, NoResonanceDecaysToExactSilence) {
  SilenceRms(44100);
  EXPECT_EQ(FilterSample(filter, 0.0, eg1, Tables44100()), 0.0);
  for (double s : filter.state) EXPECT_EQ(s, 0.0);
}

TEST_F(LadderFilterTest, ANanStateIsClearedAndLoudInputAtFullResonanceStaysFinite) {
  SetResonance(filter, 0.5);
  filter.state[1] = std::numeric_limits<double>::quiet_NaN();
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(std::isfinite(FilterSample(filter, 0.3, eg1, Tables44100())));
  for (double s : filter.state) EXPECT_TRUE(std::isfinite(s));
  SetResonance(filter, 1.0);
  for (int i = 0; i < 44100; ++i)
    ASSERT_TRUE(std::isfinite(FilterSample(filter, (i / 50) % 2 ? 9.0 : -9.0, eg1, Tables44100())));
}

TEST_F(LadderFilterTest, AResonanceChangeTakesEffectAtOnce) {
  const double flat = SinePeak(380.0, 0.1);
  SetResonance(filter, 0.9);
  EXPECT_GT(SinePeak(380.0, 0.1), 2 * flat);
}

TEST_F(LadderFilterTest, CutoffsBeyondTheTablesActAsTheirEnds) {
  for (const auto& [beyond, end] : {std::pair{-5000.0, 0.0}, {40000.0, double(kTopPitch)}}) {
    LadderFilter a = filter, b = filter;
    a.cutoffBase = beyond;
    b.cutoffBase = end;
    for (int i = 0; i < 100; ++i)
      ASSERT_EQ(FilterSample(a, 0.5, eg1, Tables44100()), FilterSample(b, 0.5, eg1, Tables44100())) << beyond;
  }
}

TEST_F(LadderFilterTest, FullNegativeEnvelopeLowersTheCutoffTenOctaves) {
  filter.cutoffPitch = 17280.0;
  UpdateCutoff(filter, 0.0, 0.0, 0.0);
  filter.egIntensity = -15361.0;
  eg1.level = 1.0;  // idle, so it holds while the filter steps it
  FilterSample(filter, 0.0, eg1, Tables44100());
  EXPECT_EQ(filter.cachedCutoff, 17280 - 15361);
}

TEST_F(LadderFilterTest, EnvelopeStepsOnceASampleAfterItsLevelIsRead) {
  filter.egIntensity = 1000.0;
  eg1.level = 0.5;
  eg1.stage = kEnvelopeRelease;
  eg1.target = -1.0 / 9.0;
  eg1.coefficient = 0.01;
  FilterSample(filter, 0.0, eg1, Tables44100());
  EXPECT_EQ(filter.cachedCutoff, 8640 + 500);
  EXPECT_LT(eg1.level, 0.5);
}

TEST_F(LadderFilterTest, CutoffFollowsKeysVelocityAndTranspose) {
  filter.keyTrack = 1.0;
  filter.transposeOffset = 1536.0;
  filter.velocityAmount = 1.0;
  UpdateCutoff(filter, KeyFollowPitch(31), 1.0, 100.0);
  EXPECT_DOUBLE_EQ(filter.cutoffBase, (1536.0 + 202.75) + 8640.0 + 7681.0 + 100.0);
  UpdateCutoff(filter, KeyFollowPitch(30), 0.0, 0.0);
  EXPECT_DOUBLE_EQ(filter.cutoffBase, 1536.0 + 8640.0 - 7681.0);
}

}  // namespace
