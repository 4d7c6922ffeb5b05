#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/Mixer.h"
#include "dsp/Noise.h"
#include "dsp/Oscillator.h"
#include "dsp/OscillatorEffects.h"
#include "dsp/PitchTables.h"
#include "tests/dsp/DspTestSupport.h"

using namespace dsp;

namespace {

constexpr double kSquareHeight = 3.141592653589793 / 4;  // two saws of height π/4, half a cycle apart

class OscillatorTest : public ::testing::Test {
 protected:
  void SetUp() override { UseTablesAt44100(); }

  static Oscillator Playing(std::int32_t waveform, std::int32_t key) {
    Oscillator osc;
    osc.connected = true;
    osc.waveform = waveform;
    osc.level = 1.0;
    SetOscillatorKey(osc, key, 0, KeyToPitch(key));
    UpdatePitch(osc, 0.0, Tables44100());
    return osc;
  }

  // One second of output.
  static std::vector<double> Render(Oscillator& osc) {
    std::vector<double> out;
    for (int i = 0; i < 44100; ++i) {
      out.push_back(SampleOf(osc, osc.currentTable));
      AdvancePhase(osc);
    }
    return out;
  }
};

// Above the lowest keys, which read the richest table there is, each key
// reads the richest table whose harmonics stay below half the sample rate,
// to within the 2 % the steps between tables allow.
TEST_F(OscillatorTest, EachKeyReadsTheRichestTableThatDoesNotAlias) {
  for (int key = 0; key < 128; ++key) {
    const Oscillator osc = Playing(kWaveSawtooth, key);
    const int table = int(osc.currentTable - gWavetables.saw);
    if (table == 0) continue;
    const double hz = PitchToFrequency(osc.pitchIndex);
    EXPECT_LT(WavetableHarmonicCount(table) * hz, 1.02 * 22050.0) << key;
    EXPECT_GT(WavetableHarmonicCount(table - 1) * hz, 0.98 * 22050.0) << key;
  }
}

TEST_F(OscillatorTest, TriangleReadsTheTriangleBank) {
  Oscillator osc = Playing(kWaveTriangle, 69);
  EXPECT_EQ(osc.currentTable, &gWavetables.triangle[11]);
  EXPECT_EQ(Playing(kWavePw, 69).currentTable, &gWavetables.saw[11]);
}

TEST_F(OscillatorTest, HighestPitchesUseTheLastTables) {
  Oscillator osc = Playing(kWaveSawtooth, 127);
  SetOctave(osc, 24);
  UpdatePitch(osc, 32.0, Tables44100());
  EXPECT_GT(osc.pitchIndex, kTopPitch);
  EXPECT_EQ(osc.phaseIncrement, Tables44100().phaseIncrement[kTopPitch]);
  EXPECT_EQ(osc.nextTable, &gWavetables.saw[kWavetableCount - 1]);
}

TEST_F(OscillatorTest, OctaveAndTuneOffsetThePitch) {
  Oscillator osc = Playing(kWaveSawtooth, 60);
  SetOctave(osc, -12);
  SetTune(osc, 32);
  UpdatePitch(osc, -5.5, Tables44100());
  EXPECT_EQ(osc.pitchIndex, KeyToPitch(48) + 32 - 6);  // 6170.5 truncated
}

TEST_F(OscillatorTest, OscillatorOutsideAnEngineIsSilentAndStill) {
  Oscillator osc;
  osc.waveform = kWaveSawtooth;
  UpdatePitch(osc, 0.0, Tables44100());
  EXPECT_EQ(osc.phaseIncrement, 0);
  EXPECT_EQ(SampleOf(osc, &gWavetables.saw[0]), 0.0);
}

TEST_F(OscillatorTest, HalfPulseWidthIsAFullHeightSquare) {
  Oscillator osc = Playing(kWavePw, 33);  // 55 Hz
  osc.pulseWidth = 0.5;
  UpdatePitch(osc, 0.0, Tables44100());
  int high = 0;
  int low = 0;
  for (double v : Render(osc)) {
    if (std::fabs(v - kSquareHeight) < 0.05) ++high;
    if (std::fabs(v + kSquareHeight) < 0.05) ++low;
  }
  EXPECT_GT(high, 20000);
  EXPECT_GT(low, 20000);
  EXPECT_NEAR(high, low, 500);
}

TEST_F(OscillatorTest, PulseWidthZeroAndOneAreSilent) {
  for (double width : {0.0, 1.0}) {
    Oscillator osc = Playing(kWavePw, 45);
    osc.pulseWidth = width;
    UpdatePitch(osc, 0.0, Tables44100());
    for (double v : Render(osc)) ASSERT_EQ(v, 0.0) << width;
  }
}

TEST_F(OscillatorTest, PulseWidthModulationFollowsItsSource) {
  double source = 0.0;
  Oscillator osc = Playing(kWavePwm, 45);
  osc.pwmSource = &source;
  osc.pwmDepth = 1.0;
  UpdatePitch(osc, 0.0, Tables44100());
  EXPECT_EQ(WrapPhase(std::uint32_t(osc.secondPhase - osc.phase)), kPhaseCycle / 2);
  source = 0.5;
  UpdatePitch(osc, 0.0, Tables44100());
  EXPECT_EQ(WrapPhase(std::uint32_t(osc.secondPhase - osc.phase)), kPhaseCycle / 4);
  osc.pwmDepth = 2.5;  // product beyond 1: silence
  UpdatePitch(osc, 0.0, Tables44100());
  for (double v : Render(osc)) ASSERT_EQ(v, 0.0);
}

// The glide of two octaves over half a second, a tick each millisecond.
class GlideTest : public OscillatorTest {
 protected:
  void SetUp() override {
    OscillatorTest::SetUp();
    osc = Playing(kWaveSawtooth, 36);
    osc.glideTime = 0.5;
    SetOscillatorKey(osc, 60, 0, KeyToPitch(60));
  }
  Oscillator osc;
  static constexpr std::int32_t kStart = 36 * 128;
  static constexpr std::int32_t kSpan = 24 * 128;
};

TEST_F(GlideTest, HalfTimeReachesThreeQuartersOfTheSpan) {
  for (int tick = 0; tick < 250; ++tick) UpdatePitch(osc, 0.0, Tables44100());
  EXPECT_NEAR(osc.currentPitch, kStart + 0.75 * kSpan, 0.01);
  EXPECT_NEAR(osc.pitchIndex, kStart + 0.75 * kSpan, 1);
}

TEST_F(GlideTest, ArrivesWithoutAJump) {
  std::int32_t previous = osc.pitchIndex;
  std::int32_t lastStep = 0;
  for (int tick = 0; tick < 600; ++tick) {
    UpdatePitch(osc, 0.0, Tables44100());
    const std::int32_t step = osc.pitchIndex - previous;
    EXPECT_GE(step, 0);
    EXPECT_LE(step, 13);  // the first tick moves fastest: 2 × span / 500
    if (osc.pitchIndex == KeyToPitch(60) && previous != KeyToPitch(60)) lastStep = step;
    previous = osc.pitchIndex;
  }
  EXPECT_EQ(osc.pitchIndex, KeyToPitch(60));
  EXPECT_LE(lastStep, 1);
  EXPECT_EQ(osc.glideProgress <= 0.0, true);
}

TEST_F(GlideTest, NoGlideTimeJumpsAtOnce) {
  osc.glideTime = 0.0;
  SetOscillatorKey(osc, 48, 0, KeyToPitch(48));
  UpdatePitch(osc, 0.0, Tables44100());
  EXPECT_EQ(osc.pitchIndex, KeyToPitch(48));
}

TEST_F(GlideTest, TransposeGlidesToTheNewOctave) {
  for (int tick = 0; tick < 600; ++tick) UpdatePitch(osc, 0.0, Tables44100());
  Retune(osc, TransposeOfChoice(0), KeyToPitch(osc.key));
  UpdatePitch(osc, 0.0, Tables44100());
  EXPECT_GT(osc.pitchIndex, KeyToPitch(60));
  EXPECT_LT(osc.pitchIndex, KeyToPitch(72));
  for (int tick = 0; tick < 600; ++tick) UpdatePitch(osc, 0.0, Tables44100());
  EXPECT_EQ(osc.pitchIndex, KeyToPitch(72));
}

TEST(Noise, StaysWithinFullScale) {
  NoiseSource noise;
  for (int i = 0; i < 100000; ++i) {
    const double v = NextNoise(noise);
    ASSERT_GE(v, -1.0);
    ASSERT_LT(v, 1.0);
  }
}

TEST_F(OscillatorTest, MixerAddsOnlySoundingOscillatorsAndNoise) {
  Oscillator vco[kOscillatorCount] = {Playing(kWaveSawtooth, 40), Playing(kWaveSawtooth, 47),
                                      Playing(kWaveSawtooth, 52), Playing(kWaveSawtooth, 59)};
  for (int i = 0; i < 333; ++i) AdvancePhases(vco);
  vco[2].level = 0.5;
  bool sounding[kOscillatorCount] = {false, false, true, false};
  NoiseSource noise;
  EXPECT_EQ(MixSample(vco, sounding, noise), 0.5 * SampleOf(vco[2], vco[2].currentTable));
  sounding[2] = false;
  noise.level = 0.25;
  noise.on = true;
  EXPECT_DOUBLE_EQ(MixSample(vco, sounding, noise), 0.25 * 16807 / 2147483648.0);
}

TEST_F(OscillatorTest, SyncRestartsSlavesAtTheScaledOvershoot) {
  Oscillator vco[kOscillatorCount] = {Playing(kWaveSawtooth, 40), Playing(kWavePw, 52), Playing(kWaveSawtooth, 60),
                                      Playing(kWaveSawtooth, 64)};
  vco[1].pulseWidth = 0.25;
  UpdatePitch(vco[1], 0.0, Tables44100());
  const std::int32_t offset = WrapPhase(std::uint32_t(vco[1].secondPhase - vco[1].phase));
  vco[0].phase = kPhaseCycle - 10;
  AdvancePhasesSynced(vco, true);
  const std::int32_t overshoot = vco[0].phaseIncrement - 10;
  EXPECT_EQ(vco[0].phase, overshoot);
  EXPECT_EQ(vco[1].phase, std::int32_t(vco[1].pitchIndex * (double(overshoot) / vco[0].pitchIndex)));
  EXPECT_EQ(WrapPhase(std::uint32_t(vco[1].secondPhase - vco[1].phase)), offset);
}

TEST_F(OscillatorTest, SyncFromAMasterAtPitchZeroRestartsSlavesAtZero) {
  Oscillator vco[kOscillatorCount] = {Playing(kWaveSawtooth, 0), Playing(kWaveSawtooth, 52), Playing(kWaveSawtooth, 60),
                                      Playing(kWaveSawtooth, 64)};
  vco[1].phase = 12345;
  vco[0].phase = kPhaseCycle - 1;
  AdvancePhasesSynced(vco, true);
  EXPECT_EQ(vco[1].phase, 0);
  EXPECT_EQ(vco[3].phase, 0);
}

TEST_F(OscillatorTest, DoubleModeSyncPairsAreIndependent) {
  Oscillator vco[kOscillatorCount] = {Playing(kWaveSawtooth, 40), Playing(kWaveSawtooth, 52),
                                      Playing(kWaveSawtooth, 60), Playing(kWaveSawtooth, 64)};
  vco[0].phase = kPhaseCycle - 1;
  const std::int32_t slave4 = vco[3].phase;
  AdvancePhasesSynced(vco, false);
  EXPECT_EQ(vco[3].phase, slave4 + vco[3].phaseIncrement);
}

TEST_F(OscillatorTest, CrossModulationInDoubleModeLeavesVco3Plain) {
  Oscillator vco[kOscillatorCount] = {Playing(kWaveSawtooth, 40), Playing(kWaveSawtooth, 52),
                                      Playing(kWaveSawtooth, 60), Playing(kWaveSawtooth, 64)};
  for (int i = 0; i < 777; ++i) AdvancePhases(vco);
  const bool onlyVco3[kOscillatorCount] = {false, false, true, false};
  const bool onlyVco4[kOscillatorCount] = {false, false, false, true};
  NoiseSource noise;
  EXPECT_EQ(MixCrossModulated(vco, onlyVco3, noise, 1.0, false), SampleOf(vco[2], vco[2].currentTable));
  // Ring modulation at amount 1: the product of master and slave.
  EXPECT_NEAR(MixCrossModulated(vco, onlyVco4, noise, 1.0, false),
              SampleOf(vco[2], vco[2].nextTable) * SampleOf(vco[3], vco[3].nextTable), 1e-12);
  EXPECT_DOUBLE_EQ(MixCrossModulated(vco, onlyVco4, noise, 0.0, false), SampleOf(vco[3], vco[3].nextTable));
}

}  // namespace
