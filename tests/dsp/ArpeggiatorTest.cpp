#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/Arpeggiator.h"
#include "dsp/Instrument.h"
#include "dsp/KeyAssign.h"
#include "dsp/ModGenerator.h"
#include "dsp/NoteRouter.h"
#include "dsp/RenderLoop.h"
#include "dsp/SampleRate.h"
#include "tests/dsp/DspTestSupport.h"
#include "tests/dsp/InstrumentSetup.h"

using namespace dsp;

namespace {

using Keys = std::vector<int>;

class ArpeggiatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareSawtoothInstrument(in, &grid);
    in.outputGain = 1.0;
    SetSustain(in.eg2, 1.0);
    Arpeggiate(kArpOn, 1, kArpUp);
  }
  void TearDown() override { DropTables(in.clock); }

  void Arpeggiate(std::int32_t state, std::int32_t octaves, std::int32_t mode) {
    held.Clear();
    in.arp.state = state;
    in.arp.active = state != kArpOff;
    in.arp.octaves = octaves;
    in.arp.mode = mode;
    in.arp.downward = mode == kArpDown;
    in.arp.position = 0;
    in.arp.octave = 0;
  }

  // The keys of the next n steps, as VCO 1 plays them in Unison.
  Keys Steps(int n) {
    Keys keys;
    for (int i = 0; i < n; ++i) {
      ArpStep(in, held);
      keys.push_back(in.vco[0].key);
    }
    return keys;
  }

  // The control ticks (from 0) at which a step played, over `ticks` ticks.
  std::vector<int> StepTicks(int ticks) {
    std::vector<int> at;
    for (int t = 0; t < ticks; ++t) {
      const std::int32_t position = in.arp.position;
      const std::int32_t octave = in.arp.octave;
      const bool light = in.arp.stepLight;
      const bool gate = in.gate.open;
      ControlTick(in, held);
      if (in.arp.position != position || in.arp.octave != octave || in.arp.stepLight != light || in.gate.open != gate)
        at.push_back(t);
    }
    return at;
  }

  Instrument in;
  HeldKeys held;
  TickGrid grid;
};

TEST_F(ArpeggiatorTest, TwoOctavesUpAndDown) {
  Arpeggiate(kArpOn, 2, kArpUp);
  NoteOn(in, held, 60, 100);
  NoteOn(in, held, 64, 100);
  EXPECT_EQ(Steps(5), (Keys{60, 64, 72, 76, 60}));
  Arpeggiate(kArpOn, 2, kArpDown);
  NoteOn(in, held, 60, 100);
  NoteOn(in, held, 64, 100);
  EXPECT_EQ(Steps(5), (Keys{76, 72, 64, 60, 76}));
}

TEST_F(ArpeggiatorTest, UpDownRepeatsItsEndKeys) {
  Arpeggiate(kArpOn, 1, kArpUpDown);
  for (int key : {64, 60, 67}) NoteOn(in, held, key, 100);
  EXPECT_EQ(Steps(8), (Keys{60, 64, 67, 67, 64, 60, 60, 64}));
  Arpeggiate(kArpOn, 2, kArpUpDown);
  for (int key : {60, 64}) NoteOn(in, held, key, 100);
  EXPECT_EQ(Steps(10), (Keys{60, 64, 72, 76, 76, 72, 64, 60, 60, 64}));
}

TEST_F(ArpeggiatorTest, FullRangeRunsFourOctaves) {
  Arpeggiate(kArpOn, 4, kArpUp);
  NoteOn(in, held, 100, 100);
  EXPECT_EQ(Steps(5), (Keys{100, 112, 124, 136, 100}));
}

TEST_F(ArpeggiatorTest, PolyStepsRoundTheOscillators) {
  in.keys.mode = kPoly;
  NoteOn(in, held, 60, 100);
  NoteOn(in, held, 64, 100);
  std::vector<int> played;
  for (int i = 0; i < 4; ++i) {
    ArpStep(in, held);
    played.push_back(in.keys.lastAssigned);
  }
  EXPECT_EQ(played, (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(ArpeggiatorTest, ReleasingAllKeysInOnEmptiesTheListAndStepsThenDoNothing) {
  NoteOn(in, held, 60, 100);
  NoteOn(in, held, 64, 100);
  Steps(3);
  ASSERT_TRUE(in.gate.open);
  NoteOff(in, held, 60);
  EXPECT_FALSE(in.gate.open);  // the note releases until the next step
  EXPECT_EQ(Steps(1), (Keys{64}));
  EXPECT_TRUE(in.gate.open);
  NoteOff(in, held, 64);
  EXPECT_EQ(held.count, 0);
  EXPECT_EQ(Steps(3), (Keys{64, 64, 64}));
  EXPECT_FALSE(in.gate.open);
  EXPECT_EQ(in.eg2.stage, kEnvelopeRelease);
}

TEST_F(ArpeggiatorTest, LatchKeepsReleasedKeysUntilANewKeyReplacesTheSet) {
  Arpeggiate(kArpLatch, 1, kArpUp);
  NoteOn(in, held, 60, 100);
  NoteOn(in, held, 64, 100);
  NoteOff(in, held, 60);
  NoteOff(in, held, 64);
  EXPECT_EQ(held.count, 2);
  EXPECT_EQ(Steps(3), (Keys{60, 64, 60}));
  NoteOn(in, held, 67, 100);
  EXPECT_EQ(held.count, 1);
  EXPECT_EQ(Steps(2), (Keys{67, 67}));
  // While a key of the new set is down, more keys join it.
  NoteOn(in, held, 72, 100);
  EXPECT_EQ(held.count, 2);
}

TEST_F(ArpeggiatorTest, SixteenthsAt120BpmStepEvery125Ticks) {
  EXPECT_EQ(StepTicksAt(0.25, 120.0), 125);
  EXPECT_EQ(StepTicksAt(4.0 / 3, 120.0), 667);
  EXPECT_EQ(StepTicksAt(16.0, 1e-300), 2147483647);  // no overflow
  EXPECT_EQ(StepTicksAt(0.0625, 1e9), 1);            // never zero
  in.arp.stepBeats = 0.25;
  in.arp.stepReciprocal = 4.0;
  in.arp.stepTicks = StepTicksAt(0.25, 120.0);
  NoteOn(in, held, 60, 100);
  EXPECT_EQ(StepTicks(1000), (std::vector<int>{0, 125, 250, 375, 500, 625, 750, 875}));
}

TEST_F(ArpeggiatorTest, TheStepLightTogglesAtEveryTempoStep) {
  in.arp.stepTicks = 10;
  NoteOn(in, held, 60, 100);
  std::vector<bool> lights;
  for (int t = 0; t < 21; ++t) {
    ControlTick(in, held);
    if (t % 10 == 0) lights.push_back(in.arp.stepLight);
  }
  EXPECT_EQ(lights, (std::vector<bool>{true, false, true}));
}

TEST_F(ArpeggiatorTest, Mg2ClocksAStepAtTheStartOfEachCycle) {
  in.arp.clockedByMg2 = true;
  SetModRate(in.mg2, 0.47);  // a cycle of about 70.9 ticks
  const double increment = in.mg2.increment;
  for (int t = 0; t < 30; ++t) StepModGenerator(in.mg2);  // somewhere in a cycle
  NoteOn(in, held, 60, 100);
  NoteOn(in, held, 64, 100);
  const std::vector<int> at = StepTicks(1000);
  ASSERT_EQ(at.size(), 15u);
  EXPECT_EQ(at[0], 0);  // the first key restarts MG2
  for (std::size_t i = 1; i < at.size(); ++i) {
    const int cycleStart = int(std::ceil(i * kModCycle / increment));
    EXPECT_EQ(at[i], cycleStart) << i;
  }
}

TEST_F(ArpeggiatorTest, TheFirstKeyOfANewSetRestartsTheStepsAtOnce) {
  in.arp.stepTicks = 100;
  NoteOn(in, held, 60, 100);
  NoteOn(in, held, 64, 100);
  StepTicks(150);  // steps at 0 and 100: the next comes at tick 200
  NoteOff(in, held, 60);
  NoteOff(in, held, 64);
  NoteOn(in, held, 67, 100);
  EXPECT_EQ(in.arp.position, 0);
  EXPECT_EQ(StepTicks(150), (std::vector<int>{0, 100}));
  EXPECT_EQ(in.vco[0].key, 67);
  // A key added while one is down joins without a restart.
  NoteOn(in, held, 69, 100);
  EXPECT_EQ(StepTicks(60), (std::vector<int>{50}));
  EXPECT_EQ(in.vco[0].key, 69);
}

// Ticks at which the step light changed, rendering with a moving host position.
std::vector<int> SyncedStepTicks(Instrument& in, HeldKeys& held, TickGrid& grid, int block, int frames, double tempo,
                                 double startQuarter, int keyTick) {
  in.arp.stepBeats = 0.25;
  in.arp.stepReciprocal = 4.0;
  std::vector<double> left(block), right(block);
  std::vector<int> at;
  int tick = -1;
  bool light = in.arp.stepLight;
  for (int done = 0; done < frames; done += block) {
    const int n = std::min(block, frames - done);
    const double quarter = startQuarter + done / 44100.0 * tempo / 60.0;
    ArpTempoSync(in.arp, tempo, quarter, 44100.0, grid);
    RenderBlock(in, grid, held, left.data(), right.data(), n, [&] {
      // The previous tick's step shows now; this tick's update follows.
      if (tick >= 0 && in.arp.stepLight != light) at.push_back(tick);
      light = in.arp.stepLight;
      ++tick;
      if (tick == keyTick) NoteOn(in, held, 60, 100);
    });
  }
  return at;
}

TEST_F(ArpeggiatorTest, TempoStepsLandOnTheHostsSixteenthsAtAnyBlockSize) {
  std::vector<int> reference;
  for (int block : {4096, 512, 100, 44, 37}) {
    Arpeggiate(kArpOn, 1, kArpUp);
    grid.remaining = 0;
    in.arp.lastSongPosition = 0;
    in.arp.stepLight = false;
    const std::vector<int> at = SyncedStepTicks(in, held, grid, block, 44100 * 3, 120.0, 0.0, 0);
    ASSERT_EQ(at.size(), 24u) << block;  // three seconds of sixteenths at 120 BPM
    for (std::size_t i = 0; i < at.size(); ++i) {
      const double boundary = i * 5512.5;  // samples
      EXPECT_LE(std::fabs(at[i] * 44.0 - boundary), 22.0) << block << " step " << i;
    }
    if (reference.empty())
      reference = at;
    else
      EXPECT_EQ(at, reference) << block;
    NoteOff(in, held, 60);
  }
}

TEST_F(ArpeggiatorTest, AKeyBetweenSixteenthsPlaysAtOnceAndThenJoinsTheGrid) {
  // The key comes 40 ticks into a sixteenth: it plays then, and the next
  // step waits for the host's next sixteenth.
  const std::vector<int> at = SyncedStepTicks(in, held, grid, 256, 44100, 120.0, 0.0, 40);
  // Tempo steps run (and light) with no keys too, from tick 0.
  ASSERT_GE(at.size(), 4u);
  EXPECT_EQ(at[0], 0);
  EXPECT_EQ(at[1], 40);
  EXPECT_EQ(at[2], 125);
  EXPECT_EQ(at[3], 251);
}

TEST_F(ArpeggiatorTest, TheGridFollowsTheHostsPosition) {
  // The host starts half a sixteenth before a boundary.
  const std::vector<int> at = SyncedStepTicks(in, held, grid, 512, 44100, 120.0, 1.125, 0);
  ASSERT_GE(at.size(), 3u);
  EXPECT_EQ(at[0], 0);
  EXPECT_NEAR(at[1] * 44.0, 2756.25, 22.0);
  EXPECT_NEAR(at[2] * 44.0, 2756.25 + 5512.5, 22.0);
}

TEST_F(ArpeggiatorTest, AHostThatStandsStillLeavesTheCountdownAlone) {
  in.arp.stepBeats = 0.25;
  in.arp.stepReciprocal = 4.0;
  ArpTempoSync(in.arp, 120.0, 3.3, 44100.0, grid);
  in.arp.countdown = 77;
  ArpTempoSync(in.arp, 120.0, 3.3, 44100.0, grid);
  EXPECT_EQ(in.arp.countdown, 77);
  ArpTempoSync(in.arp, 60.0, -1.0, 44100.0, grid);  // no position reported
  EXPECT_EQ(in.arp.countdown, 77);
  EXPECT_EQ(in.arp.stepTicks, 250);  // the tempo still counts
}

}  // namespace
