#include <gtest/gtest.h>

#include <vector>

#include "dsp/Instrument.h"
#include "dsp/OscillatorEffects.h"
#include "dsp/PitchModulation.h"
#include "dsp/RenderLoop.h"
#include "dsp/SampleRate.h"
#include "tests/dsp/DspTestSupport.h"
#include "tests/dsp/InstrumentSetup.h"

using namespace dsp;

namespace {

using Pitches = std::vector<std::int32_t>;
constexpr std::int32_t kKey = 60 * 128;

// Four oscillators on key 60 and the settings of the default program.
class PitchModulationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareSawtoothInstrument(in);
    for (Oscillator& osc : in.vco) SetOscillatorKey(osc, 60, 0, kKey);
    mod.bendTarget = kTargetPitch;
    mod.wheelTarget = kTargetPitch;
    mod.syncInType = true;  // "S\&X" unless a test says otherwise
    mod.crossModInType = true;
  }
  void TearDown() override { DropTables(in.clock); }

  // Each oscillator's pitch offset from the key after one update.
  Pitches Offsets() {
    UpdatePitchModulation(in);
    Pitches p;
    for (const Oscillator& osc : in.vco) p.push_back(osc.pitchIndex - kKey);
    return p;
  }

  Instrument in;
  PitchModulation& mod = in.modulation;
};

TEST_F(PitchModulationTest, BendOnVco1WithTheEffectsOffLeavesTheOtherOscillators) {
  mod.bendTarget = kTargetVco1OrSlaves;
  mod.bendIntensity = 1.0;
  in.keys.pitchBend = 0.5;
  EXPECT_EQ(Offsets(), (Pitches{1920, 0, 0, 0}));
  EXPECT_EQ(mod.cutoffContribution, 0.0);
}

TEST_F(PitchModulationTest, BendOnTheSlavesWithTheEffectsOn) {
  mod.bendTarget = kTargetVco1OrSlaves;
  mod.bendIntensity = 0.5;
  in.keys.pitchBend = -1.0;
  mod.effects = true;
  mod.singleMode = true;
  // Pitch indices round down.
  EXPECT_EQ(Offsets(), (Pitches{0, -1921, -1921, -1921}));
  mod.singleMode = false;  // VCO 3 is a master in Double mode
  EXPECT_EQ(Offsets(), (Pitches{0, -1921, 0, -1921}));
}

TEST_F(PitchModulationTest, FullBendReachesThirtySemitonesOrSixtyOnTheCutoff) {
  mod.bendIntensity = 1.0;
  in.keys.pitchBend = 8191.0 / 8192.0;
  EXPECT_EQ(Offsets(), (Pitches{3840, 3840, 3840, 3840}));
  in.keys.pitchBend = -1.0;
  EXPECT_EQ(Offsets(), (Pitches{-3841, -3841, -3841, -3841}));
  mod.bendTarget = kTargetCutoff;
  EXPECT_EQ(Offsets(), (Pitches{0, 0, 0, 0}));
  EXPECT_EQ(mod.cutoffContribution, -7681.0);
}

TEST_F(PitchModulationTest, TheWheelScalesMg1AndTheOverrideHoldsItsDepth) {
  mod.wheelIntensity = 0.5;
  in.keys.modWheel = 0.5;
  in.mg1.bipolar = -1.0;
  EXPECT_EQ(Offsets(), (Pitches{-961, -961, -961, -961}));
  mod.wheelOverride = 1.0;  // the wheel position no longer matters
  in.keys.modWheel = 0.0;
  EXPECT_EQ(Offsets(), (Pitches{-1921, -1921, -1921, -1921}));
  mod.wheelTarget = kTargetCutoff;
  EXPECT_EQ(Offsets(), (Pitches{0, 0, 0, 0}));
  EXPECT_EQ(mod.cutoffContribution, -3840.5);
  mod.wheelTarget = kTargetVco1OrSlaves;
  EXPECT_EQ(Offsets(), (Pitches{-1921, 0, 0, 0}));
  EXPECT_EQ(mod.cutoffContribution, 0.0);
}

TEST_F(PitchModulationTest, BendAndWheelAddUp) {
  mod.bendIntensity = 1.0;
  in.keys.pitchBend = 0.25;
  mod.wheelIntensity = 1.0;
  in.keys.modWheel = 1.0;
  in.mg1.bipolar = 0.5;
  mod.bendTarget = kTargetCutoff;
  mod.wheelTarget = kTargetCutoff;
  Offsets();
  EXPECT_DOUBLE_EQ(mod.cutoffContribution, 7681.0 * 0.75);
}

TEST_F(PitchModulationTest, FrequencyModulationMovesTheSlavesFromMg1OrEg1) {
  mod.effects = true;
  mod.singleMode = true;
  mod.fmAmount = 3841.0;
  in.mg1.bipolar = -0.5;
  in.eg1.level = 0.25;
  EXPECT_EQ(Offsets(), (Pitches{0, -1921, -1921, -1921}));
  mod.fmFromEg1 = true;
  mod.singleMode = false;
  EXPECT_EQ(Offsets(), (Pitches{0, 960, 0, 960}));
  mod.effects = false;  // no effects, no FM
  EXPECT_EQ(Offsets(), (Pitches{0, 0, 0, 0}));
}

TEST_F(PitchModulationTest, FrequencyShiftNeedsCrossModulationInTheType) {
  mod.effects = true;
  mod.singleMode = true;
  mod.shiftSingle = 1536.0;
  mod.shiftDouble = 768.0;
  mod.crossModAmount = 1.0;
  mod.crossModActive = true;
  EXPECT_EQ(Offsets(), (Pitches{0, 1536, 1536, 1536}));  // "S\&X": an octave up
  mod.singleMode = false;
  EXPECT_EQ(Offsets(), (Pitches{0, 768, 0, 768}));
  mod.crossModAmount = 0.5;
  EXPECT_EQ(Offsets(), (Pitches{0, 384, 0, 384}));
  mod.crossModInType = false;  // "Sync"
  mod.singleMode = true;
  EXPECT_EQ(Offsets(), (Pitches{0, 0, 0, 0}));
}

TEST_F(PitchModulationTest, DetuneSpreadsVco2DownAndVco4UpAndMasterTuneMovesAll) {
  mod.detune = 35.0;
  mod.masterTune = -32.0;
  EXPECT_EQ(Offsets(), (Pitches{-32, -67, -32, 3}));
}

TEST_F(PitchModulationTest, SingleModeCrossModulationScalesEverySlaveByVco1) {
  Oscillator(&vco)[kOscillatorCount] = in.vco;
  SetOscillatorKey(vco[1], 64, 0, 64 * 128);
  SetOscillatorKey(vco[2], 67, 0, 67 * 128);
  SetOscillatorKey(vco[3], 72, 0, 72 * 128);
  UpdatePitchModulation(in);
  for (int i = 0; i < 999; ++i) AdvancePhases(vco);
  vco[0].level = 0.5;
  vco[2].level = 0.25;
  const bool all[kOscillatorCount] = {true, true, true, true};
  const bool slaves[kOscillatorCount] = {false, true, true, true};
  NoiseSource noise;
  auto next = [&](int i) { return SampleOf(vco[i], vco[i].nextTable); };
  for (double amount : {0.0, 0.4, 1.0, 1.5}) {
    const double g = (next(0) - 1.0) * amount + 1.0;
    const double expected = 0.5 * SampleOf(vco[0], vco[0].currentTable) + g * (next(1) + 0.25 * next(2) + next(3));
    EXPECT_NEAR(MixCrossModulated(vco, all, noise, amount, true), expected, 1e-12) << amount;
    // The master modulates even when it is not heard itself.
    EXPECT_NEAR(MixCrossModulated(vco, slaves, noise, amount, true), g * (next(1) + 0.25 * next(2) + next(3)), 1e-12)
        << amount;
  }
}

TEST_F(PitchModulationTest, EffectsChooseThePerSamplePaths) {
  EXPECT_FALSE(SyncOn(mod));
  EXPECT_FALSE(CrossModulationOn(mod));
  mod.effects = true;
  EXPECT_TRUE(SyncOn(mod));
  EXPECT_FALSE(CrossModulationOn(mod));  // "FX X-Mod" 0: plain mixing
  mod.crossModActive = true;
  EXPECT_TRUE(CrossModulationOn(mod));
  mod.syncInType = false;  // "X-Mod"
  EXPECT_FALSE(SyncOn(mod));
  mod.crossModInType = false;
  mod.syncInType = true;  // "Sync"
  EXPECT_FALSE(CrossModulationOn(mod));
}

TEST_F(PitchModulationTest, SyncRunsInTheRenderLoopAudibleOrNot) {
  mod.effects = true;
  mod.singleMode = false;
  SetOscillatorKey(in.vco[1], 71, 0, 71 * 128);
  SetOscillatorKey(in.vco[3], 50, 0, 50 * 128);
  UpdatePitchModulation(in);
  Oscillator reference[kOscillatorCount];
  for (int i = 0; i < kOscillatorCount; ++i) reference[i] = in.vco[i];
  std::vector<double> left(3000), right(3000);
  RenderChunk(in, left.data(), right.data(), 1500);  // silent: the gate never opened
  in.gate.audible = true;
  in.outputGain = 1.0;
  in.eg2.level = 1.0;
  RenderChunk(in, left.data() + 1500, right.data() + 1500, 1500);
  for (int s = 0; s < 3000; ++s) AdvancePhasesSynced(reference, false);
  for (int i = 0; i < kOscillatorCount; ++i) {
    EXPECT_EQ(in.vco[i].phase, reference[i].phase) << i;
    EXPECT_EQ(in.vco[i].secondPhase, reference[i].secondPhase) << i;
  }
}

}  // namespace
