// kestrion-render end to end against the fake instrument: where events land,
// what host time the plug-in sees, what is written, and how bad input is met.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/FakePluginLog.h"
#include "tests/tools/SmfBuilder.h"
#include "tools/render/MidiFile.h"
#include "tools/render/MidiPlayback.h"
#include "tools/render/RenderTool.h"

namespace {

using smftest::Smf;
using smftest::Track;

std::string OutputPath(const std::string& name) { return std::string(TEST_OUTPUT_DIR) + "/" + name; }

// 480 ticks a quarter at 120 BPM: a tick is 1/960 s, 50 samples at 48 kHz.
std::string WriteTwoNotes() {
  const std::string path = OutputPath("two-notes.mid");
  smftest::WriteFile(path, Smf(0, 480,
                               {Track()
                                    .Tempo(0, 500000)
                                    .TimeSignature(0, 3, 2)
                                    .Event(10, {0x90, 60, 100})
                                    .Event(470, {0x80, 60, 0})
                                    .Event(0, {0xE0, 0, 0x50})
                                    .Event(960, {0x90, 67, 90})
                                    .End(480)}));
  return path;
}

struct ToolRun {
  int code;
  std::string out, err;
};

ToolRun RenderTool(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int code = render::RunRenderTool(args, out, err);
  return {code, out.str(), err.str()};
}

const fakeplugin::Log& LogOf(const vsthost::VstHost& host) {
  return *reinterpret_cast<const fakeplugin::Log*>(host.Dispatch(vst::effVendorSpecific, fakeplugin::kGetLog));
}

TEST(RenderLoop, EventsReachTheBlockAndOffsetOfTheirSample) {
  vsthost::VstHost host;
  std::string error;
  ASSERT_TRUE(host.Load(FAKE_PLUGIN_PATH, &error)) << error;
  host.Open();
  render::RenderSettings settings;
  settings.sampleRate = 48000;
  settings.blockSize = 256;
  settings.tailSeconds = 0.5;
  host.SetSampleRate(settings.sampleRate);
  host.SetBlockSize(settings.blockSize);
  host.SetActive(true);
  render::MidiFile file;
  ASSERT_EQ(render::LoadMidiFile(WriteTwoNotes(), file), "");
  std::vector<std::vector<float>> audio;
  ASSERT_EQ(render::RenderMidiFile(host, file, settings, audio), "");

  // Samples 500, 24000, 24000 and 72000 (ticks 10, 480, 480, 1440).
  const fakeplugin::Log& log = LogOf(host);
  ASSERT_EQ(log.eventCount, 4);
  const std::int64_t expected[] = {500, 24000, 24000, 72000};
  for (int i = 0; i < 4; ++i) {
    const fakeplugin::ReceivedEvent& event = log.events[i];
    EXPECT_EQ(std::int64_t(event.block) * 256 + event.deltaFrames, expected[i]) << i;
    EXPECT_GE(event.deltaFrames, 0);
    EXPECT_LT(event.deltaFrames, 256);
  }
  EXPECT_EQ(log.events[2].bytes[0], 0xE0);

  // The file lasts 1920 ticks (2 s), then the tail: 120000 frames in all.
  ASSERT_EQ(audio.size(), 2u);
  EXPECT_EQ(audio[0].size(), 120000u);
  EXPECT_EQ(log.blockCount, (120000 + 255) / 256);
  EXPECT_EQ(log.blocks[log.blockCount - 1].frames, 120000 % 256);

  // Host time of block 100: sample 25600, 1.0667 quarters into a 3/4 bar.
  const fakeplugin::ProcessedBlock& block = log.blocks[100];
  ASSERT_TRUE(block.hadTime);
  EXPECT_EQ(block.time.samplePos, 25600);
  EXPECT_EQ(block.time.sampleRate, 48000);
  EXPECT_DOUBLE_EQ(block.time.tempo, 120);
  EXPECT_NEAR(block.time.ppqPos, 25600 / 24000.0, 1e-9);
  EXPECT_EQ(block.time.barStartPos, 0);
  EXPECT_EQ(block.time.timeSigNumerator, 3);
  EXPECT_EQ(block.time.timeSigDenominator, 4);
  EXPECT_NEAR(log.blocks[300].time.barStartPos, 3, 1e-9);  // 3.2 quarters: the second bar
  EXPECT_TRUE(block.time.flags & vst::kVstTransportPlaying);
}

TEST(RenderTool, WritesTheRenderAndItsLevels) {
  const std::string wav = OutputPath("render-tool.wav");
  std::remove(wav.c_str());
  const ToolRun run = RenderTool({"--rate", "48000", "--block", "100", "--tail", "0.25", "--norm", "Gain=1",
                                  FAKE_PLUGIN_PATH, WriteTwoNotes(), wav});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_NE(run.out.find("rendered 2.250 s (108000 frames at 48000 Hz, block 100)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("left:  peak"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("silent"), std::string::npos) << run.out;

  const smftest::Bytes bytes = smftest::ReadFile(wav);
  ASSERT_GT(bytes.size(), 108000u * 8);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
  EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "WAVE");
}

TEST(RenderTool, InfoListsIdentityParametersAndPrograms) {
  const ToolRun run = RenderTool({"--info", FAKE_PLUGIN_PATH});
  ASSERT_EQ(run.code, 0) << run.err;
  for (const char* part : {"Fake", "Gain", "Shape", "Offset", "First", "Second"})
    EXPECT_NE(run.out.find(part), std::string::npos) << part << " in\n" << run.out;
}

TEST(RenderTool, BadInputGetsOneLineAndExitCodeOne) {
  const std::string midi = WriteTwoNotes();
  const std::string wav = OutputPath("never-written.wav");
  const std::string truncated = OutputPath("truncated.mid");
  smftest::Bytes bytes = smftest::ReadFile(midi);
  bytes.resize(bytes.size() - 7);
  smftest::WriteFile(truncated, bytes);
  const std::string notMidi = OutputPath("not-midi.mid");
  smftest::WriteFile(notMidi, {'R', 'I', 'F', 'F', 0, 0, 0, 0});

  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--no-such-option", FAKE_PLUGIN_PATH, midi, wav},
      {"--rate", "0", FAKE_PLUGIN_PATH, midi, wav},
      {"--rate", "fast", FAKE_PLUGIN_PATH, midi, wav},
      {"--block", "-5", FAKE_PLUGIN_PATH, midi, wav},
      {"--tail", "nan", FAKE_PLUGIN_PATH, midi, wav},
      {"--set", "Gain", FAKE_PLUGIN_PATH, midi, wav},
      {"--set", "NoSuchParameter=1", FAKE_PLUGIN_PATH, midi, wav},
      {"--program", "9", FAKE_PLUGIN_PATH, midi, wav},
      {FAKE_PLUGIN_PATH, OutputPath("missing.mid"), wav},
      {FAKE_PLUGIN_PATH, truncated, wav},
      {FAKE_PLUGIN_PATH, notMidi, wav},
      {OutputPath("missing-plugin.so"), midi, wav},
      {notMidi, midi, wav},
      {FAKE_PLUGIN_NO_ENTRY_PATH, midi, wav},
      {FAKE_PLUGIN_BAD_MAGIC_PATH, midi, wav},
      {FAKE_PLUGIN_PATH, midi, OutputPath("no-such-folder/out.wav")},
  };
  for (const std::vector<std::string>& args : cases) {
    std::string shown;
    for (const std::string& arg : args) shown += arg + " ";
    const ToolRun run = RenderTool(args);
    EXPECT_EQ(run.code, 1) << shown;
    EXPECT_EQ(run.err.rfind("kestrion-render: ", 0), 0u) << shown << "\n" << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << shown << "\n" << run.err;
  }
  std::FILE* never = std::fopen(wav.c_str(), "rb");
  EXPECT_EQ(never, nullptr);
  if (never) std::fclose(never);
}

}  // namespace
