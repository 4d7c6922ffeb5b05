#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "dsp/PitchTables.h"
#include "instrument/ParameterIndex.h"
#include "instrument/TuningClient.h"
#include "platform/DynamicLibrary.h"
#include "tests/config/UserFolders.h"
#include "tests/vst2/TestHost.h"

using namespace dsp;

namespace {

using Instance = testhost::PlayingInstance;

// The test library's control interface, reached the way the plug-in reaches
// its entry points.
struct TestMaster {
  platform::DynamicLibrary library = platform::OpenLibrary(TEST_TUNING_LIBRARY);
  template <typename F>
  F* Entry(const char* name) {
    return reinterpret_cast<F*>(platform::FindSymbol(library, name));
  }
  void Connect() { Entry<void()>("TestMaster_Connect")(); }
  void Disconnect() { Entry<void()>("TestMaster_Disconnect")(); }
  void Reset() { Entry<void()>("TestMaster_Reset")(); }
  void SetFrequency(int note, double hz) { Entry<void(int, double)>("TestMaster_SetFrequency")(note, hz); }
  void Filter(int note) { Entry<void(int, bool)>("TestMaster_Filter")(note, true); }
  int Clients() { return Entry<int()>("TestMaster_Clients")(); }
  ~TestMaster() { platform::CloseLibrary(library); }
};

// The pitch index an oscillator was sent to for its key, without the
// program's transposition and chord interval.
std::int32_t KeyPitch(const Oscillator& osc) {
  return osc.targetPitch - (osc.transpose + osc.interval) * kPitchStepsPerSemitone;
}

constexpr int kInit = 63;  // the factory bank's plain program; without resources, the defaults

class TuningTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testfolders::UseFreshUserFolders(); }
  void SetUp() override {
    ASSERT_TRUE(master.library.handle) << TEST_TUNING_LIBRARY;
    master.Reset();
    ASSERT_TRUE(UseTuningLibraryAt(TEST_TUNING_LIBRARY));
    host = std::make_unique<Instance>();
    host->Call(vst::effSetProgram, 0, kInit);
  }
  void TearDown() override {
    host.reset();
    UseTuningLibraryAt("");
  }

  void Play(int key) {
    host->Send(0, 0x90, std::uint8_t(key), 100);
    host->Render(64);
  }
  void Release(int key) {
    host->Send(0, 0x80, std::uint8_t(key), 0);
    host->Render(64);
  }
  const Instrument& engine() { return host->synth->Engine(); }

  TestMaster master;
  std::unique_ptr<Instance> host;
};

TEST(TuningWithoutLibrary, EqualTemperamentExactlyAsUntuned) {
  testfolders::UseFreshUserFolders();
  UseTuningLibraryAt("");
  Instance host;
  host.Send(0, 0x90, 69, 100);
  host.Render(64);
  const Oscillator& osc = host.synth->Engine().vco[0];
  EXPECT_EQ(KeyPitch(osc), 69 * kPitchStepsPerSemitone);
  EXPECT_NEAR(PitchToFrequency(KeyPitch(osc)), 440.0, 1e-3);
  const TuningClient* client = host.synth->Tuning();
  ASSERT_NE(client, nullptr);
  EXPECT_FALSE(client->FollowsMaster());
  EXPECT_DOUBLE_EQ(client->NoteFrequency(69), 440.0);
  EXPECT_NEAR(client->NoteFrequency(60), 261.6256, 1e-4);
  EXPECT_NEAR(client->NoteFrequency(60 + 128), 261.6256, 1e-4);
  EXPECT_FALSE(client->IsNoteFiltered(61));
  EXPECT_STREQ(client->ScaleName(), "12-TET");
}

TEST_F(TuningTest, WithoutAMasterNotesKeepEqualTemperament) {
  master.SetFrequency(60, 250.0);
  master.Filter(61);
  Play(60);
  EXPECT_EQ(KeyPitch(engine().vco[0]), 60 * kPitchStepsPerSemitone);
  EXPECT_FALSE(host->synth->Tuning()->IsNoteFiltered(61));
}

TEST_F(TuningTest, AMasterTunesTheNextNote) {
  master.Connect();
  master.SetFrequency(60, 250.0);
  Play(60);
  const std::int32_t pitch = KeyPitch(engine().vco[0]);
  EXPECT_EQ(pitch, PitchOfFrequency(250.0));
  // The nearest step: within half a step (1/256 semitone) of 250 Hz.
  EXPECT_NEAR(PitchToFrequency(pitch), 250.0, 250.0 * (std::pow(2.0, 1.0 / 1536.0) - 1.0));
  for (const Oscillator& osc : engine().vco) EXPECT_EQ(KeyPitch(osc), pitch);
  // Untouched notes stay where equal temperament puts them, to the step.
  Release(60);
  Play(69);
  EXPECT_NEAR(KeyPitch(engine().vco[0]), 69 * kPitchStepsPerSemitone, 1);
}

TEST_F(TuningTest, AFilteredNoteIsIgnoredAndItsNoteOffIsHarmless) {
  master.Connect();
  master.Filter(61);
  Play(61);
  EXPECT_EQ(host->synth->Keys().count, 0);
  EXPECT_FALSE(engine().gate.open);
  Release(61);
  EXPECT_EQ(host->synth->Keys().count, 0);
  Play(62);
  EXPECT_EQ(host->synth->Keys().count, 1);
  EXPECT_TRUE(engine().gate.open);
}

TEST_F(TuningTest, AMasterLeavingKeepsSoundingNotesAndUntunesTheNext) {
  master.Connect();
  master.SetFrequency(60, 250.0);
  master.SetFrequency(64, 333.0);
  Play(60);
  const std::int32_t tuned = KeyPitch(engine().vco[0]);
  master.Disconnect();
  host->Render(512);
  EXPECT_EQ(KeyPitch(engine().vco[0]), tuned);
  Play(64);
  EXPECT_EQ(KeyPitch(engine().vco[0]), 64 * kPitchStepsPerSemitone);
}

// The arpeggiator's upper octaves reach past MIDI note 127; they take the
// master's tuning of the note whole octaves below, not a wrapped-around note.
TEST_F(TuningTest, KeysAboveTheMastersRangeFollowItsTopOctave) {
  master.Connect();
  master.SetFrequency(127, 12000.0);
  master.SetFrequency(3, 19.0);
  const TuningClient* tuning = host->synth->Tuning();
  ASSERT_NE(tuning, nullptr);
  EXPECT_EQ(KeyToPitch(139, tuning), PitchOfFrequency(12000.0) + kPitchStepsPerOctave);
  EXPECT_EQ(KeyToPitch(151, tuning), PitchOfFrequency(12000.0) + 2 * kPitchStepsPerOctave);
  EXPECT_NE(KeyToPitch(131, tuning), PitchOfFrequency(19.0)) << "131 & 127 would be note 3";
}

TEST_F(TuningTest, NonsenseFromTheMasterFallsBackToEqualTemperament) {
  master.Connect();
  master.SetFrequency(60, std::nan(""));
  master.SetFrequency(62, -5.0);
  Play(60);
  EXPECT_EQ(KeyPitch(engine().vco[0]), 60 * kPitchStepsPerSemitone);
  Play(62);
  EXPECT_EQ(KeyPitch(engine().vco[0]), 62 * kPitchStepsPerSemitone);
}

TEST_F(TuningTest, EachInstanceRegistersOnceAndDeregistersOnClose) {
  EXPECT_EQ(master.Clients(), 1);
  {
    Instance second;
    EXPECT_EQ(master.Clients(), 2);
  }
  EXPECT_EQ(master.Clients(), 1);
  host.reset();
  EXPECT_EQ(master.Clients(), 0);
}

// A library that has a master but hands out no table is never consulted.
bool Yes() { return true; }
bool FilterAll(char, char) { return true; }

TEST(TuningClientRules, NoTableMeansNoTuningAndNoFiltering) {
  TuningLibrary record;
  record.hasMaster = &Yes;
  record.shouldFilterNote = &FilterAll;
  TuningClient client(record);
  EXPECT_FALSE(client.FollowsMaster());
  EXPECT_DOUBLE_EQ(client.NoteFrequency(69), 440.0);
  EXPECT_FALSE(client.IsNoteFiltered(61));
  EXPECT_EQ(KeyToPitch(60, &client), 60 * kPitchStepsPerSemitone);
}

TEST(TuningClientRules, AMissingLibraryLoadsNothing) {
  TuningLibrary record;
  EXPECT_FALSE(LoadTuningLibrary(record, "no-such-tuning-library.bin"));
  EXPECT_EQ(record.hasMaster, nullptr);
  EXPECT_EQ(record.tuningTable, nullptr);
}

}  // namespace
