#include <gtest/gtest.h>

#include <vector>

#include "dsp/DueEvents.h"
#include "dsp/Instrument.h"
#include "dsp/KeyAssign.h"
#include "dsp/NoteRouter.h"
#include "tests/dsp/DspTestSupport.h"

using namespace dsp;

namespace {

class KeyAssignTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareInstrument(in);
    in.keys.multipleTrigger = true;
    for (int i = 0; i < kOscillatorCount; ++i) in.keys.chordInterval[i] = 0;
  }

  void Mode(std::int32_t mode) { in.keys.mode = mode; }
  void Press(std::int32_t key, std::int32_t velocity = 100) { NoteOn(in, held, key, velocity); }
  void Release(std::int32_t key) { NoteOff(in, held, key); }

  // The key each oscillator plays, -1 for one not sounding.
  std::vector<int> Sounding() const {
    std::vector<int> keys;
    for (int i = 0; i < kOscillatorCount; ++i) keys.push_back(in.gate.sounding[i] ? in.vco[i].key : -1);
    return keys;
  }
  std::vector<int> Held() const {
    std::vector<int> flags;
    for (bool h : in.gate.held) flags.push_back(h);
    return flags;
  }

  Instrument in;
  HeldKeys held;
};

using Keys = std::vector<int>;

TEST_F(KeyAssignTest, UnisonPlaysTheNewestKeyOnAllFour) {
  Press(60);
  EXPECT_EQ(Sounding(), (Keys{60, 60, 60, 60}));
  Press(64);
  EXPECT_EQ(Sounding(), (Keys{64, 64, 64, 64}));
  EXPECT_TRUE(in.gate.open);
  EXPECT_EQ(held.count, 2);
  EXPECT_DOUBLE_EQ(in.keys.keyFollowPitch, KeyFollowPitch(64));  // for the filter
  EXPECT_DOUBLE_EQ(in.keys.velocity, 100 / 127.0);
}

TEST_F(KeyAssignTest, UnisonReleaseOfTheSoundingKeyHandsOverToTheHighestRemainingOne) {
  Press(60);
  Press(67);
  Press(64);
  in.eg2.stage = kEnvelopeDecaySustain;
  Release(60);  // not sounding: nothing changes
  EXPECT_EQ(Sounding(), (Keys{64, 64, 64, 64}));
  EXPECT_EQ(in.eg2.stage, kEnvelopeDecaySustain);
  EXPECT_EQ(held.count, 2);
  Release(64);  // with multiple trigger the take-over retriggers
  EXPECT_EQ(Sounding(), (Keys{67, 67, 67, 67}));
  EXPECT_EQ(in.eg2.stage, kEnvelopeAttack);
  in.keys.multipleTrigger = false;
  Press(72);
  in.eg2.stage = kEnvelopeDecaySustain;
  in.eg2.level = 0.7;
  Release(72);  // with single trigger it plays legato
  EXPECT_EQ(Sounding(), (Keys{67, 67, 67, 67}));
  EXPECT_EQ(in.eg2.stage, kEnvelopeDecaySustain);
  EXPECT_EQ(in.eg2.level, 0.7);
}

TEST_F(KeyAssignTest, LastReleaseClosesTheGateButKeepsTheOscillatorsSounding) {
  Press(60);
  Release(60);
  EXPECT_FALSE(in.gate.open);
  EXPECT_EQ(in.eg2.stage, kEnvelopeRelease);
  EXPECT_EQ(Held(), (Keys{0, 0, 0, 0}));
  EXPECT_EQ(Sounding(), (Keys{60, 60, 60, 60}));  // they fade with the release
  EXPECT_EQ(held.count, 0);
  EXPECT_EQ(held.pressed, 0);
}

TEST_F(KeyAssignTest, HoldKeepsTheGateOpenAfterRelease) {
  in.keys.hold = true;
  Press(60);
  Release(60);
  EXPECT_TRUE(in.gate.open);
  EXPECT_EQ(Held(), (Keys{1, 1, 1, 1}));
}

TEST_F(KeyAssignTest, RoundRobinPlaysOneOscillatorAfterAnother) {
  Mode(kRoundRobin);
  Press(60);
  EXPECT_EQ(Sounding(), (Keys{60, -1, -1, -1}));
  Press(62);
  EXPECT_EQ(Sounding(), (Keys{-1, 62, -1, -1}));
  Press(64);
  Press(65);
  EXPECT_EQ(Sounding(), (Keys{-1, -1, -1, 65}));
  Press(67);
  EXPECT_EQ(Sounding(), (Keys{67, -1, -1, -1}));
}

TEST_F(KeyAssignTest, ChordMemoryPlaysTheStoredIntervalsAndLeavesAnUnusedOscillator) {
  Mode(kChordMemory);
  in.keys.chordInterval[1] = 4;
  in.keys.chordInterval[2] = 7;
  in.keys.chordInterval[3] = kUnusedChordInterval;
  Press(60);
  EXPECT_EQ(Held(), (Keys{1, 1, 1, 0}));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(in.vco[i].key, 60);
  EXPECT_EQ(in.vco[0].targetPitch, 60 * 128);
  EXPECT_EQ(in.vco[1].targetPitch, 64 * 128);
  EXPECT_EQ(in.vco[2].targetPitch, 67 * 128);
  EXPECT_EQ(in.vco[3].key, kStartKey);  // keeps whatever it had
  EXPECT_FALSE(in.gate.sounding[3]);
}

TEST_F(KeyAssignTest, UnisonShareSpreadsThreeKeysThenPlaysPoly) {
  Mode(kUnisonShare);
  Press(60);
  EXPECT_EQ(Sounding(), (Keys{60, 60, 60, 60}));
  Press(64);
  EXPECT_EQ(Sounding(), (Keys{60, 60, 64, 64}));
  Press(67);
  EXPECT_EQ(Sounding(), (Keys{67, 60, 64, 64}));
  EXPECT_EQ(Held(), (Keys{1, 1, 1, 0}));  // oscillator 4 is free again
  Press(71);
  EXPECT_EQ(Sounding(), (Keys{67, 60, 64, 71}));
}

TEST_F(KeyAssignTest, UnisonShareGivesTheFreedLowerPairToTheNextKey) {
  Mode(kUnisonShare);
  Press(60);
  Press(64);
  Release(60);  // oscillators 1 and 2 let go; the share state steps back
  EXPECT_EQ(Held(), (Keys{0, 0, 1, 1}));
  Press(67);
  EXPECT_EQ(Sounding(), (Keys{67, 67, 64, 64}));
}

TEST_F(KeyAssignTest, PolyFillsFreeOscillatorsThenSteals) {
  Mode(kPoly);
  Press(60);
  Press(64);
  Press(67);
  Press(71);
  EXPECT_EQ(Sounding(), (Keys{60, 64, 67, 71}));
  Press(72);  // all held: the round-robin position (0) is taken over
  EXPECT_EQ(Sounding(), (Keys{72, 64, 67, 71}));
  Press(74);
  EXPECT_EQ(Sounding(), (Keys{72, 74, 67, 71}));
  Release(67);
  EXPECT_EQ(Held(), (Keys{1, 1, 0, 1}));
  EXPECT_TRUE(in.gate.open);
  Press(76);
  EXPECT_EQ(Sounding(), (Keys{72, 74, 76, 71}));
}

TEST_F(KeyAssignTest, PolyAutoDampSilencesAReleasedVoiceWhileOthersArePressed) {
  Mode(kPoly);
  in.keys.autoDamp = true;
  Press(60);
  Press(64);
  Release(60);
  EXPECT_EQ(Sounding(), (Keys{-1, 64, -1, -1}));
  Release(64);  // the last key rings out through the release
  EXPECT_EQ(Sounding(), (Keys{-1, 64, -1, -1}));
  EXPECT_FALSE(in.gate.open);
}

TEST_F(KeyAssignTest, PolyWithoutAutoDampLetsReleasedVoicesRing) {
  Mode(kPoly);
  Press(60);
  Press(64);
  Release(60);
  EXPECT_EQ(Sounding(), (Keys{60, 64, -1, -1}));
}

TEST_F(KeyAssignTest, TheHundredAndTwentyNinthKeyIsPlayedButNotListed) {
  for (int k = 0; k < 128; ++k) Press(k);
  EXPECT_EQ(held.count, 128);
  Press(130);
  EXPECT_EQ(held.count, 128);
  EXPECT_EQ(in.vco[0].key, 130);
}

TEST_F(KeyAssignTest, HeldKeysStaySortedWithoutDuplicates) {
  Press(64);
  Press(60);
  Press(67);
  Press(60);
  EXPECT_EQ(held.count, 3);
  EXPECT_EQ(held.keys[0], 60);
  EXPECT_EQ(held.keys[1], 64);
  EXPECT_EQ(held.keys[2], 67);
  EXPECT_EQ(held.keys[3], kNoKey);
  Release(64);
  EXPECT_EQ(held.keys[1], 67);
  EXPECT_EQ(held.keys[2], kNoKey);
}

TEST_F(KeyAssignTest, AllNotesOffEmptiesTheListAndReleasesEveryMode) {
  for (std::int32_t mode = kUnison; mode <= kPoly; ++mode) {
    Mode(mode);
    Press(60);
    Press(64);
    AllNotesOff(in, held);
    EXPECT_FALSE(in.gate.open) << mode;
    EXPECT_EQ(held.count, 0) << mode;
    EXPECT_EQ(in.eg2.stage, kEnvelopeRelease) << mode;
  }
}

TEST_F(KeyAssignTest, ChordCaptureTakesIntervalsAboveTheLowestHeldKey) {
  Mode(kPoly);
  Press(64);
  Press(60);
  Press(67);
  std::int32_t intervals[kOscillatorCount];
  ASSERT_TRUE(CaptureChord(in, intervals));
  EXPECT_EQ(intervals[0], 4);
  EXPECT_EQ(intervals[1], 0);
  EXPECT_EQ(intervals[2], 7);
  EXPECT_EQ(intervals[3], kUnusedChordInterval);
  AllNotesOff(in, held);
  EXPECT_FALSE(CaptureChord(in, intervals));
}

TEST_F(KeyAssignTest, GlideTimesSpreadWithTheDrift) {
  in.keys.portamento = 0.1;
  in.keys.drift = 2;  // "Extreme"
  UpdateGlideTimes(in);
  EXPECT_DOUBLE_EQ(in.vco[0].glideTime, 0.1);
  EXPECT_DOUBLE_EQ(in.vco[3].glideTime, 0.1 + 3 * 0.2);
}

// Messages as they fall due at a control tick.
class DueEventsTest : public KeyAssignTest {
 protected:
  void Queue(std::uint8_t status, std::uint8_t d1, std::uint8_t d2) { due.push_back({status, d1, d2}); }
  void Tick() {
    for (const MidiMessage& message : due) {
      const int controller = TakeDueEvent(in, held, message);
      if (controller >= 0) learned.push_back({controller, midi::DataOf(message.data2)});
    }
    due.clear();
  }
  std::vector<MidiMessage> due;
  std::vector<std::pair<int, int>> learned;
};

TEST_F(DueEventsTest, NoteOnWithVelocityZeroIsANoteOff) {
  Queue(0x93, 60, 100);
  Queue(0x95, 60, 0);
  Tick();
  EXPECT_EQ(held.count, 0);
  EXPECT_FALSE(in.gate.open);
}

TEST_F(DueEventsTest, WheelAndBendPositionsAreTakenAndOtherControllersGoToTheLearnMap) {
  Queue(0xB0, 1, 127);
  Queue(0xE0, 0, 0);
  Queue(0xB2, 7, 99);
  Tick();
  EXPECT_DOUBLE_EQ(in.keys.modWheel, 1.0);
  EXPECT_DOUBLE_EQ(in.keys.pitchBend, -1.0);
  ASSERT_EQ(learned.size(), 1u);
  EXPECT_EQ(learned[0], std::make_pair(7, 99));
  Queue(0xE0, 127, 127);
  Tick();
  EXPECT_DOUBLE_EQ(in.keys.pitchBend, 8191.0 / 8192.0);
  Queue(0xE0, 0, 64);
  Tick();
  EXPECT_EQ(in.keys.pitchBend, 0.0);
}

TEST_F(DueEventsTest, PressureAndProgramMessagesDoNothing) {
  Queue(0xA0, 60, 100);
  Queue(0xC0, 3, 0);
  Queue(0xD0, 50, 0);
  Tick();
  EXPECT_FALSE(in.gate.open);
  EXPECT_TRUE(learned.empty());
}

}  // namespace
