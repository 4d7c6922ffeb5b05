#include <gtest/gtest.h>

#include <vector>

#include "instrument/Kestrion.h"
#include "vst2/VstPlugin.h"
#include "vst2/VstAbi.h"
#include "tests/config/UserFolders.h"
#include "tests/vst2/TestHost.h"

namespace {

// A plug-in at 44100 Hz (tick length 44) with its queue in view.
class MidiIntakeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testfolders::UseFreshUserFolders(); }
  void SetUp() override {
    host.Call(vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
    host.Call(vst::effSetBlockSize, 0, 512);
    host.Call(vst::effMainsChanged, 0, 1);
    synth = InstrumentOf(host.effect);
  }

  void Send(std::int32_t offset, std::uint8_t status, std::uint8_t d1, std::uint8_t d2) {
    vst::VstMidiEvent midi{};
    midi.type = vst::kVstMidiType;
    midi.byteSize = sizeof midi;
    midi.deltaFrames = offset;
    midi.midiData[0] = static_cast<char>(status);
    midi.midiData[1] = static_cast<char>(d1);
    midi.midiData[2] = static_cast<char>(d2);
    vst::VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<vst::VstEvent*>(&midi);
    host.Call(vst::effProcessEvents, 0, 0, &events);
    // The engine takes the message at the start of the next process call.
    host.effect->processReplacing(host.effect, nullptr, nullptr, 0);
  }

  std::vector<std::int32_t> QueuedOffsets() const {
    std::vector<std::int32_t> offsets;
    synth->EventQueue().ForEachWaiting([&](const IMidiEvent& event) { offsets.push_back(event.offset); });
    return offsets;
  }

  void Render(int frames) {
    std::vector<float> left(frames), right(frames);
    float* outputs[2] = {left.data(), right.data()};
    host.effect->processReplacing(host.effect, nullptr, outputs, frames);
  }

  testhost::Instance host;
  Kestrion* synth = nullptr;
};

using Offsets = std::vector<std::int32_t>;

TEST_F(MidiIntakeTest, OffsetsPastTheFirstTickMoveOnByHalfATick) {
  EXPECT_EQ(synth->Grid().length, 44);
  Send(44, 0x90, 60, 100);
  Send(45, 0x90, 61, 100);
  Send(66, 0x90, 62, 100);
  Send(0, 0x90, 63, 100);
  EXPECT_EQ(QueuedOffsets(), (Offsets{0, 44, 67, 88}));
}

TEST_F(MidiIntakeTest, HugeOffsetsDoNotWrapAround) {
  Send(2147483647, 0x90, 60, 100);
  EXPECT_EQ(QueuedOffsets(), (Offsets{2147483647}));
}

TEST_F(MidiIntakeTest, NotesControllersPressureAndBendAreQueuedOnAnyChannel) {
  Send(1, 0x9F, 60, 100);
  Send(2, 0x85, 60, 0);
  Send(3, 0xB3, 7, 100);
  Send(4, 0xD0, 50, 0);
  Send(5, 0xE7, 0, 64);
  EXPECT_EQ(QueuedOffsets(), (Offsets{1, 2, 3, 4, 5}));
}

TEST_F(MidiIntakeTest, PolyPressureChannelModesAndSystemMessagesAreDropped) {
  Send(1, 0xA0, 60, 100);
  Send(1, 0xB0, 121, 0);
  Send(1, 0xB0, 124, 0);
  Send(1, 0xF8, 0, 0);
  Send(1, 0x40, 0, 0);
  EXPECT_TRUE(QueuedOffsets().empty());
}

TEST_F(MidiIntakeTest, NoteOnAndOffAtOneOffsetKeepTheirOrder) {
  Send(10, 0x90, 60, 100);
  Send(10, 0x80, 60, 0);
  std::vector<int> statuses;
  synth->EventQueue().ForEachWaiting([&](const IMidiEvent& event) { statuses.push_back(event.status); });
  EXPECT_EQ(statuses, (std::vector<int>{0x90, 0x80}));
  Render(64);
  EXPECT_EQ(synth->Keys().count, 0);
  EXPECT_FALSE(synth->Engine().gate.open);
}

TEST_F(MidiIntakeTest, AllNotesOffOnAnyChannelSilencesAtOnce) {
  Send(0, 0x90, 60, 100);
  Render(64);
  ASSERT_TRUE(synth->Engine().gate.open);
  Send(30, 0xBA, 123, 0);  // not queued: acts before the next block
  EXPECT_TRUE(QueuedOffsets().empty());
  EXPECT_FALSE(synth->Engine().gate.open);
  EXPECT_EQ(synth->Keys().count, 0);
  Send(0, 0x90, 62, 100);
  Render(64);
  Send(0, 0xB0, 120, 0);
  EXPECT_FALSE(synth->Engine().gate.open);
}

TEST_F(MidiIntakeTest, ProgramChangeSwitchesAtOnceUnlessIgnored) {
  Send(0, 0xC3, 5, 0);
  EXPECT_EQ(synth->CurrentPreset(), 5);
  Send(0, 0xC0, 64, 0);  // no such slot
  EXPECT_EQ(synth->CurrentPreset(), 5);
  synth->SetIgnoreProgramChange(true);
  Send(0, 0xC0, 9, 0);
  EXPECT_EQ(synth->CurrentPreset(), 5);
}

TEST_F(MidiIntakeTest, ProgramChangeDropsUnsavedEdits) {
  host.effect->setParameter(host.effect, 43, 0.25f);  // "CutOff" of program 0
  Send(0, 0xC0, 1, 0);
  Send(0, 0xC0, 0, 0);
  EXPECT_FLOAT_EQ(host.effect->getParameter(host.effect, 43), 1.0f);
}

TEST_F(MidiIntakeTest, ResetEmptiesTheHeldKeysAndReleasesTheNotes) {
  Send(0, 0x90, 60, 100);
  Send(0, 0x90, 64, 100);
  Render(64);
  ASSERT_EQ(synth->Keys().count, 2);
  host.Call(vst::effSetBlockSize, 0, 256);
  EXPECT_EQ(synth->Keys().count, 0);
  EXPECT_EQ(synth->Keys().pressed, 0);
  EXPECT_FALSE(synth->Engine().gate.open);
  EXPECT_EQ(synth->Grid().remaining, 0);
}

TEST_F(MidiIntakeTest, TickLengthFollowsTheSampleRateAndRefusesUnusableRates) {
  host.Call(vst::effSetSampleRate, 0, 0, nullptr, 96000.0f);
  EXPECT_EQ(synth->Grid().length, 96);
  host.Call(vst::effSetSampleRate, 0, 0, nullptr, 500.0f);
  EXPECT_EQ(synth->Grid().length, 96);
  EXPECT_EQ(synth->SampleRate(), 96000.0);
  host.Call(vst::effSetSampleRate, 0, 0, nullptr, 0.0f);
  EXPECT_EQ(synth->Grid().length, 96);
}

}  // namespace
