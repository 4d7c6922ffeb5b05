#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "dsp/ModGenerator.h"

using namespace dsp;

namespace {

ModGenerator Generator(std::int32_t waveform, double rate) {
  ModGenerator g;
  g.waveform = waveform;
  SetModRate(g, rate);
  return g;
}

// Full rate is 30 cycles a second (a tick is a millisecond), and the rate
// scales it linearly.
TEST(ModGenerator, SquareFlipsSixtyTimesASecondAtFullRate) {
  for (const auto& [rate, cycles] : {std::pair{1.0, 30.0}, {0.25, 7.5}}) {
    ModGenerator g = Generator(kModSquare, rate);
    int flips = 0;
    bool previous = true;
    for (int tick = 0; tick < 1000; ++tick) {
      StepModGenerator(g);
      EXPECT_EQ(g.bipolar, g.firstHalf ? 1.0 : -1.0);
      EXPECT_EQ(g.unipolar, g.firstHalf ? 1.0 : 0.0);
      if (g.firstHalf != previous) ++flips;
      previous = g.firstHalf;
    }
    EXPECT_NEAR(flips, 2 * cycles, 1) << rate;
  }
}

TEST(ModGenerator, TriangleSweepsTheWholeRangeWithoutLeavingIt) {
  ModGenerator g = Generator(kModTriangle, 0.05);
  double lowest = 2.0;
  double highest = -2.0;
  for (int tick = 0; tick < 5000; ++tick) {
    StepModGenerator(g);
    lowest = std::min(lowest, g.bipolar);
    highest = std::max(highest, g.bipolar);
    EXPECT_NEAR(g.bipolar, 2.0 * g.unipolar - 1.0, 1e-15);
  }
  EXPECT_NEAR(lowest, -1.0, 0.01);
  EXPECT_NEAR(highest, 1.0, 0.01);
  EXPECT_GE(lowest, -1.0);
  EXPECT_LE(highest, 1.0);
}

TEST(ModGenerator, SawsRampInOppositeDirections) {
  ModGenerator down = Generator(kModSawDown, 0.05);
  ModGenerator up = Generator(kModSawUp, 0.05);
  StepModGenerator(down);
  StepModGenerator(up);
  EXPECT_EQ(down.unipolar, 1.0);
  EXPECT_EQ(up.unipolar, 0.0);
  for (int tick = 0; tick < 100; ++tick) {
    const double d = down.unipolar;
    const double u = up.unipolar;
    StepModGenerator(down);
    StepModGenerator(up);
    EXPECT_LT(down.unipolar, d);
    EXPECT_GT(up.unipolar, u);
  }
}

TEST(ModGenerator, ResetStartsANewCycleSilent) {
  ModGenerator g = Generator(kModSquare, 1.0);
  for (int tick = 0; tick < 20; ++tick) StepModGenerator(g);
  ResetModGenerator(g);
  EXPECT_EQ(g.bipolar, 0.0);
  EXPECT_EQ(g.unipolar, 0.0);
  EXPECT_TRUE(g.firstHalf);
  EXPECT_EQ(g.phase, 0.0);
}

}  // namespace
