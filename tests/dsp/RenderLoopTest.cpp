#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/Instrument.h"
#include "dsp/KeyAssign.h"
#include "dsp/NoteRouter.h"
#include "dsp/RenderLoop.h"
#include "dsp/SampleRate.h"
#include "tests/dsp/DspTestSupport.h"
#include "tests/dsp/InstrumentSetup.h"

using namespace dsp;

namespace {

// An instrument at 44100 Hz with an open-filter sawtooth, as the default program plays it.
class RenderLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareSawtoothInstrument(in, &grid);
    in.volume = 1.0;
    in.rangeFactor = 1.0;
    in.outputGain = 1.0;
    in.filter.cutoffPitch = CutoffPitchOf(1.0);
    SetSustain(in.eg2, 1.0);
    in.keys.multipleTrigger = true;
  }
  void TearDown() override { DropTables(in.clock); }

  // Renders in blocks of `block`; both channels must agree.
  std::vector<double> Render(int frames, int block) {
    std::vector<double> left(frames), right(frames);
    for (int done = 0; done < frames; done += block) {
      const int n = std::min(block, frames - done);
      RenderBlock(in, grid, held, left.data() + done, right.data() + done, n, [] {});
      for (int i = done; i < done + n; ++i) EXPECT_EQ(left[i], right[i]) << i;
    }
    return left;
  }

  Instrument in;
  HeldKeys held;
  TickGrid grid;
};

TEST_F(RenderLoopTest, ABlockShorterThanATickCarriesTheTickIntoTheNextBlock) {
  std::vector<double> left(64), right(64);
  int ticks = 0;
  RenderBlock(in, grid, held, left.data(), right.data(), 30, [&] { ++ticks; });
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(grid.remaining, 14);
  RenderBlock(in, grid, held, left.data(), right.data(), 14, [&] { ++ticks; });
  EXPECT_EQ(ticks, 1);  // the remainder, without a new tick
  EXPECT_EQ(grid.remaining, 0);
  RenderBlock(in, grid, held, left.data(), right.data(), 45, [&] { ++ticks; });
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(grid.remaining, 43);
  EXPECT_EQ(in.arp.blockTicks, 2);
}

TEST_F(RenderLoopTest, TickCountIsTheSameForAnyBlockSize) {
  for (int block : {1, 5, 43, 44, 45, 128, 1000}) {
    grid.remaining = 0;
    int ticks = 0;
    std::vector<double> left(block), right(block);
    for (int done = 0; done < 44 * 100; done += block)
      RenderBlock(in, grid, held, left.data(), right.data(), std::min(block, 44 * 100 - done), [&] { ++ticks; });
    EXPECT_EQ(ticks, 100) << block;
    EXPECT_EQ(grid.remaining, 0) << block;
  }
}

TEST_F(RenderLoopTest, ANoteSoundsAloneOnBothChannelsAndItsReleaseEndsInExactSilence) {
  NoteOn(in, held, 57, 127);
  std::vector<double> note = Render(4410, 64);
  double peak = 0;
  for (double v : note) peak = std::max(peak, std::fabs(v));
  EXPECT_GT(peak, 0.2);
  NoteOff(in, held, 57);
  std::vector<double> tail = Render(44100, 64);
  EXPECT_FALSE(in.gate.audible);
  EXPECT_EQ(in.eg2.level, 0.0);
  for (int i = 40000; i < 44100; ++i) ASSERT_EQ(tail[i], 0.0) << i;
}

TEST_F(RenderLoopTest, ANewKeysPitchTakesEffectAtTheNextTick) {
  NoteOn(in, held, 69, 127);
  Render(44, 44);  // the tick that finds the gate open
  Render(44, 44);
  EXPECT_EQ(in.vco[0].pitchIndex, 69 * 128);
}

TEST_F(RenderLoopTest, SilenceStillRunsThePhasesAsSampleBySampleWould) {
  Oscillator reference[kOscillatorCount];
  for (int i = 0; i < kOscillatorCount; ++i) {
    in.vco[i].phaseIncrement = 1234567 * (i + 1);
    in.vco[i].phase = 1000 * i;
    in.vco[i].secondPhase = 77777 * i;
    reference[i] = in.vco[i];
  }
  Render(1000, 1000);
  for (int s = 0; s < 1000; ++s) AdvancePhases(reference);
  for (int i = 0; i < kOscillatorCount; ++i) {
    EXPECT_EQ(in.vco[i].phase, reference[i].phase);
    EXPECT_EQ(in.vco[i].secondPhase, reference[i].secondPhase);
  }
}

TEST_F(RenderLoopTest, ZeroGainKeepsTheAmplifierEnvelopeStill) {
  NoteOn(in, held, 60, 127);
  Render(441, 64);
  const double level = in.eg2.level;
  in.outputGain = 0.0;
  const std::vector<double> out = Render(4410, 64);
  for (double v : out) ASSERT_EQ(v, 0.0);
  EXPECT_EQ(in.eg2.level, level);
  EXPECT_TRUE(in.gate.audible);
}

}  // namespace
