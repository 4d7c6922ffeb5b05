#include <gtest/gtest.h>

#include "tests/config/UserFolders.h"
#include "tests/vst2/TestHost.h"

// Found by argument lookup, so it sits beside the event type.
static bool operator==(const MidiEvent& a, const MidiEvent& b) {
  return a.offset == b.offset && a.status == b.status && a.data1 == b.data1 && a.data2 == b.data2;
}

namespace {

using Messages = std::vector<MidiEvent>;

class MidiThruTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testfolders::UseFreshUserFolders(); }
  const Messages& Sent() { return testhost::Record().sent; }
  testhost::PlayingInstance host;
};

// Everything a block might bring, the plug-in's own uses included.
const Messages kBlock = {
    {0, 0x90, 60, 100},  // note on
    {0, 0x80, 60, 0},    // its note-off at the same offset
    {5, 0xB3, 74, 12},   // controller, channel 4
    {7, 0xC0, 3, 0},     // program change
    {9, 0xA0, 60, 40},   // polyphonic pressure
    {20, 0xB0, 123, 0},  // all notes off
    {30, 0xD0, 50, 0},   // channel pressure
    {400, 0xE0, 0, 64},  // pitch bend past the first tick
    {401, 0xF8, 0, 0},   // timing clock: not forwarded
    {402, 0x45, 1, 2},   // no status byte: not forwarded
};

TEST_F(MidiThruTest, OnlyWhenOnForwardsChannelMessagesInOrderAtTheirOwnOffsetsDuringProcessing) {
  host.Send(kBlock);
  host.Render(512);
  EXPECT_TRUE(Sent().empty());
  host.synth->SetMidiThru(true);
  host.Send(kBlock);  // and the process call of the block, where hosts take outgoing events
  const Messages expected(kBlock.begin(), kBlock.end() - 2);
  EXPECT_EQ(Sent(), expected);
  host.Render(512);
  EXPECT_EQ(Sent().size(), expected.size());  // each message once
}

TEST_F(MidiThruTest, MessagesTheInstrumentTakesItselfAreForwardedToo) {
  host.synth->SetMidiThru(true);
  host.synth->SetMidiLearn(true, false);
  host.Send(3, 0xB0, 74, 64);
  host.Render(64);
  EXPECT_EQ(Sent(), (Messages{{3, 0xB0, 74, 64}}));
}

TEST_F(MidiThruTest, StrayTopBitsInDataBytesAreNotPassedOn) {
  host.synth->SetMidiThru(true);
  host.Send(0, 0x90, 0xBC, 0xE4);
  host.Render(64);
  EXPECT_EQ(Sent(), (Messages{{0, 0x90, 0x3C, 0x64}}));
}

TEST_F(MidiThruTest, AFloodBeyondOneBlocksRoomIsCutNotOverrun) {
  host.synth->SetMidiThru(true);
  Messages flood(MidiThruQueue::kCapacity + 10, MidiEvent{0, 0xD0, 1, 0});
  host.Send(flood);
  host.Render(64);
  EXPECT_EQ(Sent().size(), std::size_t(MidiThruQueue::kCapacity));
}

}  // namespace
