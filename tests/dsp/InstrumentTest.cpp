// The instrument as a host plays it: parameter reactions, block-size
// independence, resets and several instances in one process.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "instrument/Kestrion.h"
#include "instrument/ParameterIndex.h"
#include "tests/dsp/Patches.h"
#include "tests/dsp/PluginPlayer.h"
#include "vst2/VstPlugin.h"

using namespace dsp;

namespace {

using testplayer::Player;
using testplayer::TimedEvent;

Kestrion& EngineOf(Player& player) { return *InstrumentOf(player.host.effect); }

int Onset(const std::vector<float>& out) {
  for (size_t i = 0; i < out.size(); ++i)
    if (out[i] != 0.0f) return static_cast<int>(i);
  return -1;
}

// A patch that uses glide, both envelopes, resonance and key tracking.
void MovingPatch(Player& p) {
  p.Set(Param::Portamento, 0.6f);
  p.Set(Param::Drift, 0.5f);
  p.Set(Param::Resonance, 0.7f);
  p.Set(Param::Cutoff, 0.4f);
  p.Set(Param::EgIntensity, 0.8f);
  p.Set(Param::KeyTrack, 0.5f);
  p.Set(Param::Eg1Attack, 0.3f);
  p.Set(Param::Eg1Decay, 0.5f);
  p.Set(Param::Eg2Decay, 0.4f);
  p.Set(Param::Eg2Sustain, 0.6f);
  p.Set(Param::Eg2Release, 0.35f);
  p.Set(Param::Wave2, 3.0f / 3);  // VCO 2: PW
  p.Set(Param::PulseWidth, 0.3f);
  p.Set(Param::Detune, 0.5f);
  p.Set(Param::VcaVelocity, 0.5f);
}

// Plays the song with the patch at blocks of 4096, 512, 64 and 32 samples:
// the output must sound, agree on both channels and never differ.
void ExpectSameOutputAtEveryBlockSize(void (*patch)(Player&), const std::vector<TimedEvent>& song, int frames) {
  std::vector<float> reference;
  for (int block : {4096, 512, 64, 32}) {
    Player player(block);
    patch(player);
    bool agree = false;
    const std::vector<float> out = player.Play(song, frames, &agree);
    EXPECT_TRUE(agree) << block;
    if (reference.empty()) {
      reference = out;
      float peak = 0;
      for (float v : out) peak = std::max(peak, std::fabs(v));
      ASSERT_GT(peak, 0.05f);
      continue;
    }
    int differing = 0;
    for (int i = 0; i < frames; ++i) differing += out[i] != reference[i];
    EXPECT_EQ(differing, 0) << "block " << block;
  }
}

TEST(BlockSize, EventsOnBlockMultiplesRenderBitIdenticallyAtAnyBlockSize) {
  const std::vector<TimedEvent> song = {
      {0, 0x90, 48, 100},   {4096, 0x90, 55, 90},  {8192, 0x80, 48, 0},   {12288, 0x90, 60, 127}, {16384, 0x80, 55, 0},
      {20480, 0x80, 60, 0}, {24576, 0x90, 36, 60}, {28672, 0xE0, 0, 100}, {32768, 0xB0, 1, 90},   {36864, 0x80, 36, 0},
  };
  ExpectSameOutputAtEveryBlockSize(MovingPatch, song, 45056);
}

// The arpeggiator on the tempo clock, with hard sync and cross-modulation.
void ArpeggiatedEffectsPatch(Player& p) {
  MovingPatch(p);
  patches::TempoArpeggio(p, 0.5f);  // "2Oct"
  patches::SyncAndCrossModulation(p, 0.1f, 0.3f);
}

TEST(BlockSize, TempoArpeggioWithEffectsRendersBitIdenticallyAtAnyBlockSize) {
  const std::vector<TimedEvent> song = {
      {0, 0x90, 48, 100},   {4096, 0x90, 55, 90}, {8192, 0x90, 60, 127}, {16384, 0x80, 48, 0},  {20480, 0xE0, 0, 90},
      {24576, 0xB0, 1, 90}, {28672, 0x80, 55, 0}, {32768, 0x80, 60, 0},  {36864, 0x90, 67, 80},
  };
  ExpectSameOutputAtEveryBlockSize(ArpeggiatedEffectsPatch, song, 45056);
}

TEST(BlockSize, EventsInsideBlocksMoveByLessThanATick) {
  for (int offset : {1, 20, 43, 44, 45, 66, 100, 1000, 3001, 4095}) {
    int onsets[2];
    int k = 0;
    for (int block : {4096, 32}) {
      Player player(block);
      const std::vector<float> out = player.Play({{offset, 0x90, 60, 100}}, 8192);
      onsets[k++] = Onset(out);
    }
    for (int onset : onsets) {
      EXPECT_GE(onset, offset - 44) << offset;
      EXPECT_LE(onset, offset + 44) << offset;
      EXPECT_EQ(onset % 44, 0) << offset;  // notes start on the tick grid
    }
  }
}

TEST(Instrument, ParameterValuesReachTheEngine) {
  Player player(512);
  Kestrion& k = EngineOf(player);
  const Instrument& e = k.Engine();
  player.Set(Param::Cutoff, 0.25f);
  EXPECT_DOUBLE_EQ(e.filter.cutoffPitch, 8640.0);
  player.Set(Param::Mg1Rate, 0.5f);  // shape 2: value 0.25
  EXPECT_NEAR(e.mg1.increment, 30.72, 1e-12);
  player.Set(Param::OutRange, 0.5f);  // "Low"
  EXPECT_DOUBLE_EQ(e.outputGain, 0.2);
  player.Set(Param::Volume, 0.5f);
  EXPECT_DOUBLE_EQ(e.outputGain, 0.1);
  player.Set(Param::OutRange, 1.0f);  // "Off"
  EXPECT_EQ(e.outputGain, 0.0);
  player.Set(Param::Octave2, 1.0f);  // VCO 2 at 2'
  player.Set(Param::Tune2, 1.0f);
  EXPECT_EQ(e.vco[1].staticOffset, 24 * 128 + 32);
  player.Set(Param::Transpose, 0.0f);  // "Up"
  EXPECT_EQ(e.vco[0].transpose, 12);
  EXPECT_EQ(e.filter.transposeOffset, 1536);
  player.Set(Param::PwmSource, 0.0f);
  EXPECT_EQ(e.vco[2].pwmSource, &e.eg1.level);
  player.Set(Param::Portamento, 1.0f);
  player.Set(Param::Drift, 0.5f);  // "Normal"
  EXPECT_DOUBLE_EQ(e.vco[3].glideTime, 4.0 + 3 * 0.04);
}

TEST(Instrument, KeyAssignModeChangesResetTheRoundRobinOnlyOnARealChange) {
  Player player(512);
  const Instrument& e = EngineOf(player).Engine();
  player.Set(Param::KeyAssign, 0.25f);  // "RndRobin"
  player.Play({{0, 0x90, 60, 100}, {0, 0x80, 60, 0}, {100, 0x90, 62, 100}}, 512);
  EXPECT_EQ(e.keys.roundRobin, 2);
  player.Set(Param::KeyAssign, 0.25f);
  EXPECT_EQ(e.keys.roundRobin, 2);
  player.Set(Param::KeyAssign, 0.0f);
  EXPECT_EQ(e.keys.roundRobin, 0);
}

TEST(Instrument, OnlyAPolyphonicModeHandsItsHeldChordToChordMemory) {
  Player unison(512);
  unison.Play({{0, 0x90, 60, 100}}, 512);
  unison.Set(Param::KeyAssign, 0.5f);  // "Chord Memory"
  for (int i = 0; i < 4; ++i) EXPECT_EQ(EngineOf(unison).Parameter(Param::kChord[i])->value, 0.0);

  Player player(512);
  Kestrion& k = EngineOf(player);
  player.Set(Param::KeyAssign, 1.0f);  // "Poly"
  player.Play({{0, 0x90, 60, 100}, {0, 0x90, 64, 100}, {0, 0x90, 67, 100}}, 512);
  player.Set(Param::KeyAssign, 0.5f);
  EXPECT_EQ(k.Parameter(Param::Chord1)->value, 0.0);
  EXPECT_EQ(k.Parameter(Param::Chord2)->value, 4.0);
  EXPECT_EQ(k.Parameter(Param::Chord3)->value, 7.0);
  EXPECT_EQ(k.Parameter(Param::Chord4)->value, 128.0);
  EXPECT_EQ(k.Engine().keys.chordInterval[3], kUnusedChordInterval);
}

TEST(Instrument, ArpStateChangeAlwaysEmptiesTheHeldKeys) {
  Player player(512);
  Kestrion& k = EngineOf(player);
  player.Play({{0, 0x90, 60, 100}, {0, 0x90, 64, 100}}, 512);
  ASSERT_EQ(k.Keys().count, 2);
  player.Set(Param::ArpState, 1.0f);  // "Off" again
  EXPECT_EQ(k.Keys().count, 0);
}

TEST(Instrument, ArpeggiatorAndEffectsParametersReachTheEngine) {
  Player player(512);
  const Instrument& e = EngineOf(player).Engine();
  player.Set(Param::ArpTempo, 15.0f / 19);  // "1/16"
  EXPECT_EQ(e.arp.stepBeats, 0.25);
  EXPECT_EQ(e.arp.stepReciprocal, 4.0);
  player.Set(Param::ArpTrigger, 0.0f);
  EXPECT_TRUE(e.arp.clockedByMg2);
  player.Set(Param::ArpRange, 0.5f);
  EXPECT_EQ(e.arp.octaves, 2);
  player.Set(Param::ArpMode, 0.5f);  // "Down"
  EXPECT_TRUE(e.arp.downward);
  player.Set(Param::FxType, 0.0f);  // "Sync"
  EXPECT_TRUE(e.modulation.syncInType);
  EXPECT_FALSE(e.modulation.crossModInType);
  player.Set(Param::FxType, 1.0f);  // "X-Mod"
  EXPECT_FALSE(e.modulation.syncInType);
  EXPECT_TRUE(e.modulation.crossModInType);
  player.Set(Param::FxMode, 1.0f);
  EXPECT_TRUE(e.modulation.singleMode);
  player.Set(Param::ShiftSingle, 1.0f);
  EXPECT_EQ(e.modulation.shiftSingle, 1537.0);
}

TEST(Instrument, TheArpeggiatorPlaysOnlyOnItsSteps) {
  Player player(512);
  player.Set(Param::ArpState, 0.5f);    // "On"
  player.Set(Param::ArpTrigger, 1.0f);  // "MIDI": 1/4 at 120 BPM without host time
  const std::vector<float> silent = player.Play({}, 4096);
  EXPECT_EQ(Onset(silent), -1);  // steps without keys play nothing
  const std::vector<float> out = player.Play({{1000, 0x90, 60, 100}}, 8192);
  // The first key plays at once, on the tick grid.
  EXPECT_GE(Onset(out), 1000 - 44);
  EXPECT_LE(Onset(out), 1000 + 44);
  const Instrument& e = EngineOf(player).Engine();
  EXPECT_EQ(e.arp.stepTicks, 500);
  EXPECT_TRUE(e.gate.open);
  EXPECT_EQ(e.vco[0].key, 60);
}

TEST(Instrument, TurningHoldOffClosesTheGate) {
  Player player(512);
  Kestrion& k = EngineOf(player);
  player.Set(Param::Hold, 1.0f);
  player.Play({{0, 0x90, 60, 100}, {10, 0x80, 60, 0}}, 512);
  EXPECT_TRUE(k.Engine().gate.open);
  player.Set(Param::Hold, 0.0f);
  EXPECT_FALSE(k.Engine().gate.open);
}

TEST(Instrument, RestoredOutOfRangeKeyAssignIsClampedToPoly) {
  Player player(512);
  Kestrion& k = EngineOf(player);
  StateBuffer state;
  for (int i = 0; i < Kestrion::kParameterCount; ++i) state.AppendDouble(k.Parameter(i)->defaultValue);
  StateBuffer bad;
  bad.AppendDouble(7.0);
  bad.AppendBytes(state.Data() + 8, state.Size() - 8);
  EXPECT_GT(k.UnserializeState(bad, 0), 0);
  player.Set(Param::Cutoff, 0.5f);  // and the next block
  EXPECT_EQ(k.Engine().keys.mode, kPoly);
}

TEST(Instrument, ResetAtTheSameRateKeepsEnvelopesButResetsGenerators) {
  Player player(512);
  Kestrion& k = EngineOf(player);
  player.Set(Param::Eg2Release, 0.8f);
  player.Play({{0, 0x90, 60, 100}}, 4096);
  const double level = k.Engine().eg2.level;
  ASSERT_GT(level, 0.0);
  player.host.Call(vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
  EXPECT_EQ(k.Engine().eg2.level, level);
  EXPECT_EQ(k.Engine().eg2.stage, kEnvelopeRelease);
  EXPECT_EQ(k.Engine().mg1.phase, 0.0);
  EXPECT_TRUE(k.Engine().mg2.firstHalf);
}

TEST(Instrument, InstancesAtDifferentRatesKeepTheirOwnTuning) {
  Player at48k(512, 48000.0f);
  const Instrument& e = EngineOf(at48k).Engine();
  {
    Player fresh(512);  // a new instance starts at 44100 Hz
    Player at96k(256, 96000.0f);
    EXPECT_EQ(EngineOf(fresh).Engine().clock.tables->sampleRate, 44100.0);
  }
  EXPECT_EQ(e.clock.tables->sampleRate, 48000.0);
  at48k.Play({{0, 0x90, 69, 100}}, 1024);
  EXPECT_EQ(e.vco[0].phaseIncrement, e.clock.tables->phaseIncrement[69 * 128]);
}

TEST(Instrument, UnusableSampleRatesAreRefused) {
  Player player(512, 48000.0f);
  Kestrion& k = EngineOf(player);
  for (float rate : {0.0f, -44100.0f, 500.0f, 7999.0f, 1e7f, std::nanf(""), INFINITY}) {
    player.host.Call(vst::effSetSampleRate, 0, 0, nullptr, rate);
    EXPECT_EQ(k.SampleRate(), 48000.0) << rate;
    EXPECT_EQ(k.Grid().length, 48) << rate;
  }
  const std::vector<float> out = player.Play({{0, 0x90, 60, 100}}, 2048);
  EXPECT_NE(Onset(out), -1);
}

}  // namespace

// Each instance has its own noise: two alike, rendering on two threads at
// once, play the same samples, and neither disturbs the other.
TEST(NoiseConcurrency, TwoInstancesOnTwoThreadsPlayTheSameNoise) {
  Player first(256), second(256);  // made here: creating instances is the host's job
  const std::vector<TimedEvent> song = {{0, 0x90, 48, 100}};
  std::vector<float> heard[2];
  auto play = [&](Player* player, std::vector<float>* out) {
    player->Set(Param::Noise, 1.0f);
    for (Param::Index level : {Param::Level1, Param::Level2, Param::Level3, Param::Level4}) player->Set(level, 0.0f);
    *out = player->Play(song, 22050);
  };
  std::thread a(play, &first, &heard[0]), b(play, &second, &heard[1]);
  a.join();
  b.join();
  float peak = 0;
  for (float v : heard[0]) peak = std::max(peak, std::fabs(v));
  EXPECT_GT(peak, 0.05f);
  EXPECT_EQ(heard[0], heard[1]);
}
