#include <gtest/gtest.h>

#include <vector>

#include "tests/config/UserFolders.h"
#include "tests/vst2/TestHost.h"

using namespace dsp;

namespace {

// A plug-in at 44100 Hz (tick length 44) with its queue in view.
class MidiIntakeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testfolders::UseFreshUserFolders(); }
  std::vector<std::int32_t> QueuedOffsets() const {
    std::vector<std::int32_t> offsets;
    synth->EventQueue().ForEachWaiting([&](const MidiEvent& event) { offsets.push_back(event.offset); });
    return offsets;
  }

  testhost::PlayingInstance host;
  Kestrion* synth = host.synth;
};

using Offsets = std::vector<std::int32_t>;

TEST_F(MidiIntakeTest, OffsetsPastTheFirstTickMoveOnByHalfATickButDoNotWrapAround) {
  EXPECT_EQ(synth->Grid().length, 44);
  host.Send(44, 0x90, 60, 100);
  host.Send(45, 0x90, 61, 100);
  host.Send(66, 0x90, 62, 100);
  host.Send(0, 0x90, 63, 100);
  host.Send(2147483647, 0x90, 64, 100);
  EXPECT_EQ(QueuedOffsets(), (Offsets{0, 44, 67, 88, 2147483647}));
}

TEST_F(MidiIntakeTest, NotesControllersPressureAndBendAreQueuedOnAnyChannelAndTheRestDropped) {
  host.Send(1, 0x9F, 60, 100);
  host.Send(2, 0x85, 60, 0);
  host.Send(3, 0xB3, 7, 100);
  host.Send(4, 0xD0, 50, 0);
  host.Send(5, 0xE7, 0, 64);
  // Polyphonic pressure, channel modes and system messages.
  host.Send(6, 0xA0, 60, 100);
  host.Send(6, 0xB0, 121, 0);
  host.Send(6, 0xB0, 124, 0);
  host.Send(6, 0xF8, 0, 0);
  host.Send(6, 0x40, 0, 0);
  EXPECT_EQ(QueuedOffsets(), (Offsets{1, 2, 3, 4, 5}));
}

TEST_F(MidiIntakeTest, NoteOnAndOffAtOneOffsetKeepTheirOrder) {
  host.Send(10, 0x90, 60, 100);
  host.Send(10, 0x80, 60, 0);
  std::vector<int> statuses;
  synth->EventQueue().ForEachWaiting([&](const MidiEvent& event) { statuses.push_back(event.status); });
  EXPECT_EQ(statuses, (std::vector<int>{0x90, 0x80}));
  host.Render(64);
  EXPECT_EQ(synth->Keys().count, 0);
  EXPECT_FALSE(synth->Engine().gate.open);
}

TEST_F(MidiIntakeTest, AllNotesOffOnAnyChannelSilencesAtOnce) {
  host.Send(0, 0x90, 60, 100);
  host.Render(64);
  ASSERT_TRUE(synth->Engine().gate.open);
  host.Send(30, 0xBA, 123, 0);  // not queued: acts before the next block
  EXPECT_TRUE(QueuedOffsets().empty());
  EXPECT_FALSE(synth->Engine().gate.open);
  EXPECT_EQ(synth->Keys().count, 0);
  host.Send(0, 0x90, 62, 100);
  host.Render(64);
  host.Send(0, 0xB0, 120, 0);
  EXPECT_FALSE(synth->Engine().gate.open);
}

TEST_F(MidiIntakeTest, ProgramChangeSwitchesAtOnceDroppingUnsavedEditsUnlessIgnored) {
  host.effect->setParameter(host.effect, 43, 0.25f);  // "CutOff" of program 0
  host.Send(0, 0xC3, 5, 0);
  EXPECT_EQ(synth->CurrentPreset(), 5);
  host.Send(0, 0xC0, 0, 0);
  EXPECT_FLOAT_EQ(host.effect->getParameter(host.effect, 43), 1.0f);
  host.Send(0, 0xC0, 64, 0);  // no such slot
  EXPECT_EQ(synth->CurrentPreset(), 0);
  synth->SetIgnoreProgramChange(true);
  host.Send(0, 0xC0, 9, 0);
  EXPECT_EQ(synth->CurrentPreset(), 0);
}

TEST_F(MidiIntakeTest, ResetEmptiesTheHeldKeysAndReleasesTheNotes) {
  host.Send(0, 0x90, 60, 100);
  host.Send(0, 0x90, 64, 100);
  host.Render(64);
  ASSERT_EQ(synth->Keys().count, 2);
  host.Call(vst::effSetBlockSize, 0, 256);
  EXPECT_EQ(synth->Keys().count, 0);
  EXPECT_EQ(synth->Keys().pressed, 0);
  EXPECT_FALSE(synth->Engine().gate.open);
  EXPECT_EQ(synth->Grid().remaining, 0);
}

}  // namespace
