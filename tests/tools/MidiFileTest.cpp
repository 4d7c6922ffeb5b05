#include "tools/render/MidiFile.h"

#include <gtest/gtest.h>

#include "tests/tools/MidiFilePromise.h"
#include "tests/tools/SmfBuilder.h"
#include "tools/render/MidiPlayback.h"
#include "tools/render/TempoMap.h"

namespace {

using render::MidiFile;
using smftest::Bytes;
using smftest::Smf;
using smftest::Track;

std::string Read(const Bytes& bytes, MidiFile& file) { return render::ReadMidiFile(bytes.data(), bytes.size(), file); }

Bytes EventBytes(const MidiFile& file, std::size_t i) { return file.events.at(i).bytes; }

// A file that uses every kind of event the reader knows.
Bytes RichFile() {
  Track conductor;
  conductor.Tempo(0, 400000).TimeSignature(0, 3, 2).Event(0, {0xFF, 0x03, 0x04, 'B', 'a', 's', 's'}).End(960);
  Track notes;
  notes.Event(0, {0xC0, 0x05})
      .Event(10, {0x90, 60, 100})
      .Event(10, {62, 90})  // running status
      .SysEx(5, {0x7D, 0x01, 0xF7})
      .Event(5, {0xE0, 0x00, 0x50})
      .Event(100, {0x90, 60, 0})
      .End(20);
  return Smf(1, 480, {conductor, notes});
}

TEST(MidiFileReader, FormatZeroKeepsEventsInFileOrderWithAbsoluteTicks) {
  Track track;
  track.Event(0, {0x90, 60, 100}).Event(480, {0x80, 60, 0}).Event(0, {0x90, 64, 90}).End(240);
  MidiFile file;
  ASSERT_EQ(Read(Smf(0, 480, {track}), file), "");
  EXPECT_EQ(file.format, 0);
  EXPECT_EQ(file.ticksPerQuarter, 480);
  ASSERT_EQ(file.events.size(), 3u);
  EXPECT_EQ(file.events[0].tick, 0u);
  EXPECT_EQ(file.events[1].tick, 480u);
  EXPECT_EQ(file.events[2].tick, 480u);
  EXPECT_EQ(EventBytes(file, 1), (Bytes{0x80, 60, 0}));
  EXPECT_EQ(EventBytes(file, 2), (Bytes{0x90, 64, 90}));
  EXPECT_EQ(file.endTick, 720u);
}

TEST(MidiFileReader, FormatOneMergesTracksByTickThenTrackOrder) {
  Track first, second;
  first.Event(100, {0x90, 60, 100}).Event(100, {0x80, 60, 0}).End();
  second.Event(50, {0x91, 40, 100}).Event(50, {0x81, 40, 0}).End(300);
  MidiFile file;
  ASSERT_EQ(Read(Smf(1, 96, {first, second}), file), "");
  ASSERT_EQ(file.events.size(), 4u);
  EXPECT_EQ(EventBytes(file, 0), (Bytes{0x91, 40, 100}));
  EXPECT_EQ(EventBytes(file, 1), (Bytes{0x90, 60, 100}));  // tick 100, track 1 before track 2
  EXPECT_EQ(file.events[1].track, 0);
  EXPECT_EQ(EventBytes(file, 2), (Bytes{0x81, 40, 0}));
  EXPECT_EQ(EventBytes(file, 3), (Bytes{0x80, 60, 0}));
  EXPECT_EQ(file.endTick, 400u);
}

TEST(MidiFileReader, RunningStatusRepeatsThePreviousStatusForOneAndTwoDataBytes) {
  Track track;
  track.Event(0, {0x90, 60, 100}).Event(1, {62, 101}).Event(1, {0xC3, 7}).Event(1, {8}).End();
  MidiFile file;
  ASSERT_EQ(Read(Smf(0, 480, {track}), file), "");
  ASSERT_EQ(file.events.size(), 4u);
  EXPECT_EQ(EventBytes(file, 1), (Bytes{0x90, 62, 101}));
  EXPECT_EQ(EventBytes(file, 2), (Bytes{0xC3, 7}));
  EXPECT_EQ(EventBytes(file, 3), (Bytes{0xC3, 8}));
}

TEST(MidiFileReader, NoteOnWithVelocityZeroBecomesNoteOff) {
  Track track;
  track.Event(0, {0x95, 60, 100}).Event(10, {0x95, 60, 0}).Event(10, {64, 0}).End();
  MidiFile file;
  ASSERT_EQ(Read(Smf(0, 480, {track}), file), "");
  ASSERT_EQ(file.events.size(), 3u);
  EXPECT_EQ(EventBytes(file, 1), (Bytes{0x85, 60, 64}));
  EXPECT_EQ(EventBytes(file, 2), (Bytes{0x85, 64, 64}));
}

TEST(MidiFileReader, MetaAndSysExEventsCancelRunningStatus) {
  Track afterMeta, afterSysEx;
  afterMeta.Event(0, {0x90, 60, 100}).Event(0, {0xFF, 0x01, 0x01, 'x'}).Event(0, {62, 100}).End();
  afterSysEx.Event(0, {0x90, 60, 100}).SysEx(0, {0x01, 0xF7}).Event(0, {62, 100}).End();
  MidiFile file;
  EXPECT_NE(Read(Smf(0, 480, {afterMeta}), file).find("running status"), std::string::npos);
  EXPECT_NE(Read(Smf(0, 480, {afterSysEx}), file).find("running status"), std::string::npos);
}

TEST(MidiFileReader, CompleteSysExDumpsAreKeptAndEscapedPacketsSkipped) {
  Track track;
  track.SysEx(0, {0x7D, 0x10, 0xF7}).Event(0, {0xF7, 0x02, 0x01, 0x02}).SysEx(0, {0x7D}).End();
  MidiFile file;
  ASSERT_EQ(Read(Smf(0, 480, {track}), file), "");
  ASSERT_EQ(file.events.size(), 1u);
  EXPECT_EQ(EventBytes(file, 0), (Bytes{0xF0, 0x7D, 0x10, 0xF7}));
}

TEST(MidiFileReader, TextMetaEventsUnknownChunksAndBytesAfterEndOfTrackAreSkipped) {
  Track track;
  track.Event(0, {0xFF, 0x03, 0x02, 'h', 'i'}).Event(0, {0x90, 60, 100}).End(10).Event(0, {0x80, 60, 0});
  Bytes bytes = Smf(0, 480, {track});
  const Bytes alien = {'X', 'y', 'z', 'w', 0, 0, 0, 2, 0xAA, 0xBB};
  bytes.insert(bytes.begin() + 14, alien.begin(), alien.end());
  MidiFile file;
  ASSERT_EQ(Read(bytes, file), "");
  ASSERT_EQ(file.events.size(), 1u);
  EXPECT_EQ(file.endTick, 10u);
}

TEST(MidiFileReader, TempoAndTimeSignatureChangesAreCollectedFromEveryTrack) {
  MidiFile file;
  ASSERT_EQ(Read(RichFile(), file), "");
  ASSERT_EQ(file.tempoChanges.size(), 1u);
  EXPECT_EQ(file.tempoChanges[0].microsecondsPerQuarter, 400000u);
  ASSERT_EQ(file.timeSignatureChanges.size(), 1u);
  EXPECT_EQ(file.timeSignatureChanges[0].numerator, 3);
  EXPECT_EQ(file.timeSignatureChanges[0].denominator, 4);
  EXPECT_EQ(file.events.size(), 6u);  // program, two notes, sysex, bend, note off
  EXPECT_EQ(file.endTick, 960u);
}

TEST(MidiFileReader, EveryTruncationGivesAnErrorNotACrash) {
  const Bytes whole = RichFile();
  MidiFile file;
  ASSERT_EQ(Read(whole, file), "");
  for (std::size_t length = 0; length < whole.size(); ++length) {
    const Bytes cut(whole.begin(), whole.begin() + length);
    MidiFile untouched;
    untouched.format = 42;
    EXPECT_NE(Read(cut, untouched), "") << "length " << length;
    EXPECT_EQ(untouched.format, 42) << "a failed read must not write the result";
  }
}

TEST(MidiFileReader, CorruptBytesAnywhereGiveASoundResultOrAnErrorThatChangesNothing) {
  const Bytes whole = RichFile();
  int read = 0, refused = 0;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    for (std::uint8_t value : {0x00, 0x7F, 0x80, 0xF4, 0xFF}) {
      Bytes corrupt = whole;
      corrupt[i] = value;
      MidiFile file;
      file.format = 42;
      if (Read(corrupt, file).empty()) {
        ++read;
        EXPECT_EQ(miditest::BrokenPromise(file), "") << "byte " << i << " set to " << int(value);
      } else {
        ++refused;
        EXPECT_EQ(file.format, 42) << "byte " << i << ": a failed read must not write the result";
      }
    }
  }
  EXPECT_GT(read, 0);  // both outcomes must have been checked
  EXPECT_GT(refused, 0);
}

TEST(MidiFileReader, ErrorsSayWhereAndWhy) {
  MidiFile file;
  EXPECT_EQ(Read(Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 6}, file), "not a Standard MIDI File (no MThd header)");

  Track good;
  good.End();
  EXPECT_NE(Read(Smf(2, 480, {good}), file).find("format 2"), std::string::npos);
  EXPECT_NE(Read(Smf(1, 0xE728, {good}), file).find("SMPTE"), std::string::npos);
  EXPECT_NE(Read(Smf(0, 480, {good, good}), file).find("format 0"), std::string::npos);

  // A second delta time of five continuation bytes, at byte 22 + 4.
  const Bytes body = {0x00, 0x90, 60, 100, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 60, 0};
  Bytes longDelta = Smf(0, 480, {});
  longDelta[11] = 1;  // track count
  longDelta.insert(longDelta.end(), {'M', 'T', 'r', 'k', 0, 0, 0, static_cast<std::uint8_t>(body.size())});
  longDelta.insert(longDelta.end(), body.begin(), body.end());
  EXPECT_EQ(Read(longDelta, file), "track 1: variable-length number longer than 4 bytes at byte 26");

  Track badStatus;
  badStatus.Event(0, {0xF4}).End();
  EXPECT_EQ(Read(Smf(0, 480, {badStatus}), file), "track 1: unexpected status 0xF4 at byte 22");

  Track zeroTempo;
  zeroTempo.Tempo(0, 0).End();
  EXPECT_NE(Read(Smf(0, 480, {zeroTempo}), file).find("tempo of zero"), std::string::npos);

  Track statusInData;
  statusInData.Event(0, {0x90, 60, 0x90}).End();
  EXPECT_NE(Read(Smf(0, 480, {statusInData}), file).find("status byte 0x90 inside a message"), std::string::npos);

  Track onlyData;
  onlyData.Event(0, {60, 100}).End();
  EXPECT_NE(Read(Smf(0, 480, {onlyData}), file).find("running status without a previous status"), std::string::npos);

  Bytes missingTrack = Smf(1, 480, {good, good});
  missingTrack.resize(missingTrack.size() - 12);
  EXPECT_EQ(Read(missingTrack, file), "file ends after 1 of 2 tracks at byte 26");
}

TEST(MidiFileReader, LoadingAMissingFileSaysSo) {
  MidiFile file;
  EXPECT_EQ(render::LoadMidiFile("no/such/file.mid", file), "cannot open MIDI file 'no/such/file.mid'");
}

TEST(TempoMap, WithoutTempoOrTimeSignatureTheMusicIs120BpmInBarsOfFourQuarters) {
  Track track;
  track.End(960);
  MidiFile file;
  ASSERT_EQ(Read(Smf(0, 480, {track}), file), "");
  const render::TempoMap tempo(file);
  EXPECT_DOUBLE_EQ(tempo.SecondsAt(480), 0.5);
  EXPECT_DOUBLE_EQ(tempo.SecondsAt(960), 1.0);
  EXPECT_DOUBLE_EQ(tempo.TempoAtSeconds(0.7), 120.0);
  EXPECT_DOUBLE_EQ(tempo.BarStartAt(7.99), 4.0);
  EXPECT_DOUBLE_EQ(tempo.BarStartAt(8.0), 8.0);
}

TEST(TempoMap, TempoChangesTurnTicksIntoTheRightSecondsAndBack) {
  // Two quarters at 120 BPM, then 60 BPM.
  Track track;
  track.Tempo(0, 500000).Tempo(960, 1000000).End(960);
  MidiFile file;
  ASSERT_EQ(Read(Smf(0, 480, {track}), file), "");
  const render::TempoMap tempo(file);
  EXPECT_DOUBLE_EQ(tempo.SecondsAt(960), 1.0);
  EXPECT_DOUBLE_EQ(tempo.SecondsAt(1440), 2.0);
  EXPECT_DOUBLE_EQ(tempo.SecondsAt(1920), 3.0);
  EXPECT_DOUBLE_EQ(tempo.QuarterAtSeconds(0.5), 1.0);
  EXPECT_DOUBLE_EQ(tempo.QuarterAtSeconds(2.5), 3.5);
  EXPECT_DOUBLE_EQ(tempo.TempoAtSeconds(0.99), 120.0);
  EXPECT_DOUBLE_EQ(tempo.TempoAtSeconds(1.0), 60.0);

  const std::vector<render::ScheduledEvent> none = render::ScheduleEvents(file, tempo, 48000);
  EXPECT_TRUE(none.empty());
}

TEST(TempoMap, TempoChangesInLaterTracksCountAndTheLastAtOneTickWins) {
  Track conductor, other;
  conductor.Tempo(0, 250000).End();
  other.Tempo(0, 1000000).Tempo(480, 2000000).Tempo(0, 500000).End(480);
  MidiFile file;
  ASSERT_EQ(Read(Smf(1, 480, {conductor, other}), file), "");
  const render::TempoMap tempo(file);
  EXPECT_DOUBLE_EQ(tempo.SecondsAt(480), 1.0);  // 60 BPM, set last at tick 0
  EXPECT_DOUBLE_EQ(tempo.SecondsAt(960), 1.5);  // then 120 BPM
}

TEST(TempoMap, BarStartFollowsTheTimeSignatureMap) {
  // 3/4 for two bars (six quarters), then 2/4.
  Track track;
  track.TimeSignature(0, 3, 2).TimeSignature(6 * 480, 2, 2).End(480 * 8);
  MidiFile file;
  ASSERT_EQ(Read(Smf(0, 480, {track}), file), "");
  const render::TempoMap tempo(file);
  EXPECT_DOUBLE_EQ(tempo.BarStartAt(0.5), 0.0);
  EXPECT_DOUBLE_EQ(tempo.BarStartAt(4.5), 3.0);
  EXPECT_DOUBLE_EQ(tempo.BarStartAt(6.0), 6.0);
  EXPECT_DOUBLE_EQ(tempo.BarStartAt(9.0), 8.0);
  EXPECT_EQ(tempo.TimeSignatureAt(5.9).numerator, 3);
  EXPECT_EQ(tempo.TimeSignatureAt(6.0).numerator, 2);
  EXPECT_EQ(tempo.TimeSignatureAt(6.0).denominator, 4);
}

TEST(EventSchedule, EventsFallOnTheSampleTheirTimeRoundsTo) {
  // At 120 BPM and 480 ticks per quarter one tick is 1/960 s: 50 samples at 48 kHz.
  Track track;
  track.Event(20, {0x90, 60, 100}).Tempo(0, 1000000).Event(1, {0x80, 60, 0}).End();
  MidiFile file;
  ASSERT_EQ(Read(Smf(0, 480, {track}), file), "");
  const render::TempoMap tempo(file);
  const std::vector<render::ScheduledEvent> events = render::ScheduleEvents(file, tempo, 48000);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].sample, 1000);
  EXPECT_EQ(events[1].sample, 1100);                                     // 1/480 s later at 60 BPM
  EXPECT_EQ(render::ScheduleEvents(file, tempo, 44100)[0].sample, 919);  // 918.75 rounded
}

}  // namespace
