#include "tools/vsthost/VstHost.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "tests/tools/FakePluginLog.h"

namespace {

using vsthost::EditNotice;
using vsthost::VstHost;

const fakeplugin::Log& LogOf(const VstHost& host) {
  return *reinterpret_cast<const fakeplugin::Log*>(host.Dispatch(vst::effVendorSpecific, fakeplugin::kGetLog));
}

void LoadFake(VstHost& host) {
  std::string error;
  ASSERT_TRUE(host.Load(FAKE_PLUGIN_PATH, &error)) << error;
}

std::string LoadError(const char* path) {
  VstHost host;
  std::string error;
  EXPECT_FALSE(host.Load(path, &error));
  EXPECT_EQ(host.Effect(), nullptr);
  EXPECT_EQ(error.find('\n'), std::string::npos) << "one line: " << error;
  return error;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(VstHostLoading, FindsVSTPluginMainAndReadsTheEffectRecord) {
  VstHost host;
  LoadFake(host);
  const vst::AEffect* effect = host.Effect();
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->magic, vst::kEffectMagic);
  EXPECT_EQ(effect->uniqueID, fakeplugin::kUniqueId);
  EXPECT_EQ(effect->numParams, fakeplugin::kParameterCount);
  EXPECT_EQ(host.EffectName(), "Fake Synth");
  EXPECT_EQ(host.PluginVendor(), "Kestrion Tests");
  EXPECT_EQ(host.PluginProduct(), "Fake");
  EXPECT_EQ(host.PluginVendorVersion(), fakeplugin::kVendorVersion);
  EXPECT_EQ(host.CanDo("receiveVstMidiEvent"), 1);
  EXPECT_EQ(host.CanDo("somethingElse"), 0);
}

TEST(VstHostLoading, FallsBackToTheOldMainEntry) {
  VstHost host;
  std::string error;
  ASSERT_TRUE(host.Load(FAKE_PLUGIN_MAIN_ONLY_PATH, &error)) << error;
  EXPECT_EQ(host.EffectName(), "Fake Synth");
}

TEST(VstHostLoading, BadFilesGiveAOneLineReasonAndNoInstance) {
  EXPECT_TRUE(Contains(LoadError("no/such/plugin.file"), "cannot load plug-in 'no/such/plugin.file'"));

  const std::string text = std::string(TEST_OUTPUT_DIR) + "/not-a-plugin.txt";
  std::ofstream(text) << "just text\n";
  EXPECT_TRUE(Contains(LoadError(text.c_str()), "cannot load plug-in"));

  EXPECT_TRUE(Contains(LoadError(FAKE_PLUGIN_NO_ENTRY_PATH), "no VSTPluginMain or main entry"));
  EXPECT_TRUE(Contains(LoadError(FAKE_PLUGIN_BAD_MAGIC_PATH), "bad magic number"));
  EXPECT_TRUE(Contains(LoadError(FAKE_PLUGIN_NO_INSTANCE_PATH), "created no instance"));
}

TEST(VstHostLoading, ClosingTwiceAndDestroyingAfterCloseAreHarmless) {
  VstHost host;
  LoadFake(host);
  host.Open();
  host.Close();
  EXPECT_EQ(host.Effect(), nullptr);
  host.Close();
  EXPECT_EQ(host.Dispatch(vst::effGetProgram), 0);
}

TEST(VstHostCallback, AnswersDuringCreationBeforeTheHostKnowsTheRecord) {
  VstHost host;
  host.SetVendorString("Native Instruments");
  host.SetProductString("Maschine");
  LoadFake(host);
  const fakeplugin::Log& log = LogOf(host);
  EXPECT_EQ(log.versionAtCreation, 2400);
  EXPECT_STREQ(log.vendorAtCreation, "Native Instruments");
  EXPECT_STREQ(log.productAtCreation, "Maschine");
}

TEST(VstHostCallback, ScannerAnswersZeroToEveryRequest) {
  VstHost host;
  host.SetScanner(true);
  LoadFake(host);
  host.SetProcessLevel(vst::kVstProcessLevelOffline);
  host.Open();
  float left[4], right[4];
  float* outputs[] = {left, right};
  host.Process(nullptr, outputs, 4);
  const fakeplugin::Log& log = LogOf(host);
  EXPECT_EQ(log.versionAtCreation, 0);
  EXPECT_STREQ(log.vendorAtCreation, "");
  EXPECT_EQ(log.processLevelAtOpen, 0);
  ASSERT_EQ(log.blockCount, 1);
  EXPECT_EQ(log.blocks[0].hadTime, 0);
  EXPECT_EQ(host.CallCount(vst::audioMasterGetTime), 1);  // still counted
}

TEST(VstHostCallback, EachInstanceReachesItsOwnHost) {
  VstHost first, second;
  first.SetVendorString("First Host");
  second.SetVendorString("Second Host");
  first.SetProcessLevel(vst::kVstProcessLevelOffline);
  LoadFake(first);
  LoadFake(second);
  first.Open();
  second.Open();
  EXPECT_STREQ(LogOf(first).vendorAtCreation, "First Host");
  EXPECT_STREQ(LogOf(second).vendorAtCreation, "Second Host");
  EXPECT_EQ(LogOf(first).processLevelAtOpen, vst::kVstProcessLevelOffline);
  EXPECT_EQ(LogOf(second).processLevelAtOpen, vst::kVstProcessLevelRealtime);
  EXPECT_EQ(first.CallCount(vst::audioMasterGetCurrentProcessLevel), 1);
  EXPECT_EQ(second.CallCount(vst::audioMasterGetCurrentProcessLevel), 1);
}

TEST(VstHostCallback, SampleRateAndBlockSizeAreThoseLastSet) {
  VstHost host;
  LoadFake(host);
  host.Open();
  host.SetSampleRate(48000);
  host.SetBlockSize(256);
  host.SetActive(true);
  const fakeplugin::Log& log = LogOf(host);
  EXPECT_EQ(log.sampleRate, 48000.0);
  EXPECT_EQ(log.blockSize, 256);
  EXPECT_EQ(log.sampleRateAtSwitchOn, 48000);
  EXPECT_EQ(log.blockSizeAtSwitchOn, 256);
}

TEST(VstHostCallback, TimeInfoReportsTheTransportWithItsValidFlags) {
  VstHost host;
  LoadFake(host);
  host.SetSampleRate(48000);
  vsthost::Transport transport;
  transport.samplePos = 96000;
  transport.ppqPos = 3.0;
  transport.tempo = 90;
  transport.barStartPos = 3.0;
  transport.timeSigNumerator = 3;
  transport.timeSigDenominator = 4;
  transport.playing = true;
  host.SetTransport(transport);
  float left[8], right[8];
  float* outputs[] = {left, right};
  host.Process(nullptr, outputs, 8);
  transport.playing = false;
  host.SetTransport(transport);
  host.Process(nullptr, outputs, 8);
  host.SetTransport(transport);
  host.Process(nullptr, outputs, 8);

  const fakeplugin::Log& log = LogOf(host);
  ASSERT_EQ(log.blockCount, 3);
  const vst::VstTimeInfo& time = log.blocks[0].time;
  EXPECT_EQ(time.samplePos, 96000.0);
  EXPECT_EQ(time.sampleRate, 48000.0);
  EXPECT_DOUBLE_EQ(time.nanoSeconds, 2e9);
  EXPECT_EQ(time.ppqPos, 3.0);
  EXPECT_EQ(time.tempo, 90.0);
  EXPECT_EQ(time.barStartPos, 3.0);
  EXPECT_EQ(time.timeSigNumerator, 3);
  EXPECT_EQ(time.timeSigDenominator, 4);
  const vst::VstInt32 valid =
      vst::kVstPpqPosValid | vst::kVstTempoValid | vst::kVstBarsValid | vst::kVstTimeSigValid | vst::kVstNanosValid;
  EXPECT_EQ(time.flags & valid, valid);
  EXPECT_TRUE(time.flags & vst::kVstTransportPlaying);
  EXPECT_TRUE(time.flags & vst::kVstTransportChanged);
  EXPECT_FALSE(log.blocks[1].time.flags & vst::kVstTransportPlaying);
  EXPECT_TRUE(log.blocks[1].time.flags & vst::kVstTransportChanged);  // playing stopped
  EXPECT_FALSE(log.blocks[2].time.flags & vst::kVstTransportChanged);
}

TEST(VstHostDispatcher, WrappersReachTheirOpcodes) {
  VstHost host;
  LoadFake(host);
  host.Open();
  host.SetProgram(1);
  EXPECT_EQ(host.Program(), 1);
  EXPECT_EQ(host.ProgramName(), "Second");
  EXPECT_EQ(host.ProgramNameIndexed(0), "First");
  EXPECT_EQ(host.ProgramNameIndexed(5), "");
  EXPECT_EQ(host.ParameterName(1), "Shape");
  EXPECT_EQ(host.ParameterLabel(0), "x");
  EXPECT_EQ(host.ParameterDisplay(1), "Ramp");
  EXPECT_TRUE(host.StringToParameter(1, "Square"));
  EXPECT_EQ(host.ParameterDisplay(1), "Square");
  EXPECT_FALSE(host.StringToParameter(1, "square"));
  EXPECT_EQ(host.ParameterName(99), "");

  host.SetParameter(0, 0.25f);
  EXPECT_EQ(host.GetParameter(0), 0.25f);
  const fakeplugin::Log& log = LogOf(host);
  ASSERT_GE(log.dispatchCount, 2);
  EXPECT_EQ(log.dispatches[0], vst::effOpen);
  EXPECT_EQ(log.dispatches[1], vst::effSetProgram);
}

TEST(VstHostEvents, SentMessagesArriveInOrderAsMidiAndSysExEvents) {
  VstHost host;
  LoadFake(host);
  host.SendMidi({{0, {0x90, 60, 100}}, {17, {0xF0, 0x7D, 0x02, 0xF7}}, {511, {0xC2, 9}}});
  const fakeplugin::Log& log = LogOf(host);
  ASSERT_EQ(log.eventCount, 3);
  EXPECT_EQ(log.events[0].type, vst::kVstMidiType);
  EXPECT_EQ(log.events[0].deltaFrames, 0);
  EXPECT_EQ(log.events[0].bytes[0], 0x90);
  EXPECT_EQ(log.events[0].bytes[2], 100);
  EXPECT_EQ(log.events[1].type, vst::kVstSysExType);
  EXPECT_EQ(log.events[1].deltaFrames, 17);
  EXPECT_EQ(log.events[1].dumpBytes, 4);
  EXPECT_EQ(log.events[1].firstDumpByte, 0xF0);
  EXPECT_EQ(log.events[1].lastDumpByte, 0xF7);
  EXPECT_EQ(log.events[2].deltaFrames, 511);
  EXPECT_EQ(log.events[2].bytes[0], 0xC2);
  EXPECT_EQ(log.events[2].bytes[1], 9);
}

TEST(VstHostEvents, ThePluginsMidiOutputIsRecorded) {
  VstHost host;
  LoadFake(host);
  host.Dispatch(vst::effVendorSpecific, fakeplugin::kEmitMidi);
  const std::vector<vsthost::MidiMessage> output = host.MidiOutput();
  ASSERT_EQ(output.size(), 2u);
  EXPECT_EQ(output[0].deltaFrames, 5);
  EXPECT_EQ(output[0].bytes, (std::vector<std::uint8_t>{0x90, 60, 100}));
  EXPECT_EQ(output[1].deltaFrames, 9);
  EXPECT_EQ(output[1].bytes, (std::vector<std::uint8_t>{0xF0, 0x7D, 0x01, 0xF7}));
  EXPECT_EQ(host.CallCount(vst::audioMasterProcessEvents), 1);
}

TEST(VstHostEvents, EditNoticesAreLoggedInOrderAndCounted) {
  VstHost host;
  LoadFake(host);
  host.Dispatch(vst::effVendorSpecific, fakeplugin::kEmitEdit, 2, nullptr, 0.75f);
  host.Dispatch(vst::effVendorSpecific, fakeplugin::kEmitDisplay);
  const std::vector<EditNotice> notices = host.EditNotices();
  ASSERT_EQ(notices.size(), 4u);
  EXPECT_EQ(notices[0].kind, EditNotice::kBeginEdit);
  EXPECT_EQ(notices[0].index, 2);
  EXPECT_EQ(notices[1].kind, EditNotice::kAutomate);
  EXPECT_EQ(notices[1].index, 2);
  EXPECT_EQ(notices[1].value, 0.75f);
  EXPECT_EQ(notices[2].kind, EditNotice::kEndEdit);
  EXPECT_EQ(notices[3].kind, EditNotice::kUpdateDisplay);
  EXPECT_EQ(host.CallCount(vst::audioMasterAutomate), 1);
  EXPECT_EQ(host.CallCount(vst::audioMasterBeginEdit), 1);
  host.ClearLog();
  EXPECT_TRUE(host.EditNotices().empty());
  EXPECT_EQ(host.CallCount(vst::audioMasterAutomate), 0);
}

TEST(VstHostEvents, CallsFromSeveralThreadsAreAllRecorded) {
  VstHost host;
  LoadFake(host);
  constexpr int kThreads = 4;
  constexpr int kRounds = 250;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&host, t] {
      float left[16], right[16];
      float* outputs[] = {left, right};
      for (int i = 0; i < kRounds; ++i) {
        host.Dispatch(vst::effVendorSpecific, fakeplugin::kEmitEdit, t, nullptr, 0.5f);
        host.SetParameter(t % fakeplugin::kParameterCount, 0.5f);
        host.GetParameter(0);
        if (t == 0) host.Process(nullptr, outputs, 16);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(host.CallCount(vst::audioMasterAutomate), kThreads * kRounds);
  EXPECT_EQ(host.CallCount(vst::audioMasterGetTime), kRounds);
  const std::vector<EditNotice> notices = host.EditNotices();
  ASSERT_EQ(notices.size(), std::size_t{3} * kThreads * kRounds);
  int perThread[kThreads] = {};
  for (const EditNotice& notice : notices)
    if (notice.kind == EditNotice::kAutomate) ++perThread[notice.index];
  for (int count : perThread) EXPECT_EQ(count, kRounds);
}

TEST(VstHostAudio, ProcessAndProcessDoubleWriteThePluginsSignal) {
  VstHost host;
  LoadFake(host);
  host.SetActive(true);
  float left[4], right[4];
  float* outputs[] = {left, right};
  host.Process(nullptr, outputs, 4);
  EXPECT_FLOAT_EQ(left[3], fakeplugin::kDefaultGain * 3 / fakeplugin::kRampLength);
  EXPECT_FLOAT_EQ(right[3], -left[3]);
  double leftD[4], rightD[4];
  double* outputsD[] = {leftD, rightD};
  host.ProcessDouble(nullptr, outputsD, 4);
  EXPECT_DOUBLE_EQ(leftD[0], fakeplugin::kDefaultGain * 4.0 / fakeplugin::kRampLength);
}

}  // namespace
