// The built plug-in file as hosts and plug-in scanners drive it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "tests/blackbox/LoadedPlugin.h"
#include "tests/vst2/TestHost.h"

namespace {

using namespace vst;
using blackbox::LoadPlugin;

constexpr int kParameters = 70;
constexpr int kPrograms = 64;
constexpr unsigned char kGuard = 0xA5;

// Stereo float blocks with their pointer arrays.
struct Block {
  explicit Block(int frames, float fill = 0) : left(frames, fill), right(frames, fill) {}
  float** Outputs() {
    pointers[0] = left.data();
    pointers[1] = right.data();
    return pointers;
  }
  bool Finite() const {
    for (std::size_t i = 0; i < left.size(); ++i)
      if (!std::isfinite(left[i]) || !std::isfinite(right[i])) return false;
    return true;
  }
  std::vector<float> left, right;
  float* pointers[2];
};

std::vector<char> GetChunk(const vsthost::VstHost& host, bool program) {
  void* data = nullptr;
  const VstIntPtr size = host.Dispatch(effGetChunk, program ? 1 : 0, 0, &data);
  if (size <= 0 || !data) return {};
  const char* bytes = static_cast<const char*>(data);
  return std::vector<char>(bytes, bytes + size);
}

VstIntPtr SetChunk(const vsthost::VstHost& host, bool program, std::vector<char> chunk) {
  return host.Dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(chunk.size()),
                       chunk.data());
}

TEST(Module, ScannerThatAnswersNothingGetsIdentityNamesAndProperties) {
  auto host = LoadPlugin("", /*scanner=*/true);
  const AEffect* effect = host->Effect();
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->magic, kEffectMagic);
  EXPECT_EQ(effect->uniqueID, 0x31343136);
  EXPECT_EQ(effect->version, 20302);
  EXPECT_EQ(effect->flags, 0x1131);
  EXPECT_EQ(effect->numPrograms, kPrograms);
  EXPECT_EQ(effect->numParams, kParameters);
  EXPECT_EQ(effect->numInputs, 0);
  EXPECT_EQ(effect->numOutputs, 2);
  EXPECT_EQ(host->EffectName(), "Kestrion");
  EXPECT_EQ(host->PluginVendor(), "Harrowvale Music");
  EXPECT_EQ(host->PluginProduct(), "");
  EXPECT_EQ(host->PluginVendorVersion(), 20302);
  EXPECT_EQ(host->Dispatch(effGetPlugCategory), kPlugCategSynth);
  for (int index = 0; index < kParameters; ++index) {
    EXPECT_FALSE(host->ParameterName(index).empty()) << index;
    EXPECT_EQ(host->Dispatch(effGetParameterProperties, index, 0, nullptr), 0) << index;
  }
  EXPECT_EQ(host->ProgramNameIndexed(0), "Round Mono Bass") << "the factory bank";
  EXPECT_EQ(host->ProgramNameIndexed(63), "Init");
  EXPECT_EQ(host->CanDo("bypass"), 0);
}

// The file a host loads must answer exactly as the code the white-box tests
// link: any difference is a packaging or calling-convention fault.
TEST(Module, AnswersEveryQuestionAsTheLinkedCodeDoes) {
  auto host = LoadPlugin();
  testhost::Instance linked("Kestrion");
  for (int index = -1; index <= kParameters; ++index) {
    EXPECT_EQ(host->ParameterName(index), linked.Text(effGetParamName, index)) << index;
    EXPECT_EQ(host->ParameterLabel(index), linked.Text(effGetParamLabel, index)) << index;
    EXPECT_EQ(host->ParameterDisplay(index), linked.Text(effGetParamDisplay, index)) << index;
    EXPECT_EQ(host->GetParameter(index), linked.effect->getParameter(linked.effect, index)) << index;
    for (float opt : {0.0f, 0.37f, 1.0f}) {
      char fromFile[64] = {}, fromCode[64] = {};
      EXPECT_EQ(host->Dispatch(effVendorSpecific, effGetParamDisplay, index, fromFile, opt),
                linked.Call(effVendorSpecific, effGetParamDisplay, index, fromCode, opt));
      EXPECT_STREQ(fromFile, fromCode) << index << " at " << opt;
    }
    EXPECT_EQ(host->Dispatch(effVendorSpecific, effGetParamName, index),
              linked.Call(effVendorSpecific, effGetParamName, index))
        << index;
    EXPECT_EQ(host->Dispatch(effCanBeAutomated, index), linked.Call(effCanBeAutomated, index));
  }
  for (int program = -1; program <= kPrograms; ++program)
    EXPECT_EQ(host->ProgramNameIndexed(program), linked.Text(effGetProgramNameIndexed, program));
  for (const char* question : {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo",
                               "sendVstEvents", "sendVstMidiEvent", "midiProgramNames",
                               "hasCockosExtensions", "bypass", "offline", "ReceiveVstEvents"}) {
    EXPECT_EQ(host->CanDo(question), linked.Call(effCanDo, 0, 0, const_cast<char*>(question)))
        << question;
  }
  std::vector<char> fromFile = GetChunk(*host, false);
  void* data = nullptr;
  const VstIntPtr size = linked.Call(effGetChunk, 0, 0, &data);
  ASSERT_GT(size, 0);
  EXPECT_EQ(fromFile, std::vector<char>(static_cast<char*>(data), static_cast<char*>(data) + size));
}

// Hosts hand in buffers of very different sizes; each copy ends where its
// kind of name ends, however long the stored text.
TEST(Module, NamesNeverRunPastTheirBuffers) {
  auto host = LoadPlugin();
  auto writtenBytes = [&](VstInt32 opcode, VstInt32 index) {
    unsigned char buffer[600];
    std::memset(buffer, kGuard, sizeof buffer);
    host->Dispatch(opcode, index, 0, buffer);
    std::size_t last = 0;
    for (std::size_t i = 0; i < sizeof buffer; ++i)
      if (buffer[i] != kGuard) last = i + 1;
    return last;
  };
  for (int index = 0; index < kParameters; ++index) {
    EXPECT_LE(writtenBytes(effGetParamName, index), 32u) << index;
    EXPECT_LE(writtenBytes(effGetParamLabel, index), 32u) << index;
    EXPECT_LE(writtenBytes(effGetParamDisplay, index), 32u) << index;
  }
  EXPECT_LE(writtenBytes(effGetEffectName, 0), 32u);
  EXPECT_LE(writtenBytes(effGetVendorString, 0), 64u);
  EXPECT_LE(writtenBytes(effGetProductString, 0), 64u);

  const std::string longName(400, 'n');
  host->Dispatch(effSetProgramName, 0, 0, const_cast<char*>(longName.c_str()));
  EXPECT_EQ(host->ProgramName(), std::string(255, 'n'));
  EXPECT_EQ(writtenBytes(effGetProgramName, 0), 256u);
  EXPECT_EQ(writtenBytes(effGetProgramNameIndexed, 0), 256u);
  EXPECT_EQ(host->ProgramNameIndexed(1), "Acid Squelch");
}

TEST(Module, TakesTheWaysHostsSwitchAndResizeProcessing) {
  auto host = LoadPlugin();
  host->SetSampleRate(48000);
  host->SetBlockSize(512);
  host->SetActive(true);
  host->SetActive(true);  // some hosts never send the 0 in between
  Block block(8192, 1.0f);
  host->Process(nullptr, block.Outputs(), 512);
  EXPECT_EQ(block.left[0], 0.0f);
  EXPECT_EQ(block.left[511], 0.0f);
  EXPECT_EQ(block.left[512], 1.0f) << "frames past the call stay the host's";

  host->SetBlockSize(8192);
  host->Process(nullptr, block.Outputs(), 8192);
  EXPECT_EQ(block.right[8191], 0.0f);
  host->SetBlockSize(512);
  host->Process(nullptr, block.Outputs(), 0);
  host->Process(nullptr, block.Outputs(), 4096);  // longer than the block size
  EXPECT_TRUE(block.Finite());

  // Off and on from the audio thread between blocks, with the process brackets.
  host->Dispatch(effStopProcess);
  host->SetActive(false);
  host->SetActive(true);
  host->Dispatch(effStartProcess);
  host->Process(nullptr, block.Outputs(), 512);

  // The accumulating call adds onto what the host has in its buffers.
  Block sum(256, 0.25f);
  const AEffect* effect = host->Effect();
  effect->process(const_cast<AEffect*>(effect), nullptr, sum.Outputs(), 256);
  EXPECT_EQ(sum.left[100], 0.25f);

  std::vector<double> left(300, 1.0), right(300, 1.0);
  double* outputs[2] = {left.data(), right.data()};
  host->ProcessDouble(nullptr, outputs, 300);
  EXPECT_EQ(left[299], 0.0);
  EXPECT_EQ(right[0], 0.0);
}

TEST(Module, BankAndProgramChunksRestoreWhatTheyHeld) {
  auto host = LoadPlugin();
  host->SetProgram(3);
  host->SetParameter(8, 0.25f);
  host->Dispatch(effSetProgramName, 0, 0, const_cast<char*>("Night Lead"));
  const std::vector<char> bank = GetChunk(*host, false);
  const std::vector<char> program = GetChunk(*host, true);
  ASSERT_FALSE(bank.empty());
  ASSERT_FALSE(program.empty());
  EXPECT_LT(program.size(), bank.size());

  host->SetParameter(8, 0.75f);
  host->Dispatch(effSetProgramName, 0, 0, const_cast<char*>("Changed"));
  host->SetProgram(0);
  EXPECT_EQ(SetChunk(*host, false, bank), 1);
  // A bank carries the slots, not the selection: the host selects afterwards.
  EXPECT_EQ(host->Program(), 0);
  EXPECT_EQ(host->ProgramNameIndexed(3), "Night Lead");
  host->SetProgram(3);
  EXPECT_FLOAT_EQ(host->GetParameter(8), 0.25f);

  host->SetProgram(5);
  EXPECT_EQ(SetChunk(*host, true, program), 1);
  EXPECT_EQ(host->ProgramNameIndexed(5), "Night Lead");
  EXPECT_FLOAT_EQ(host->GetParameter(8), 0.25f);

  // A chunk cut short is refused and leaves every slot as it was.
  const std::vector<char> before = GetChunk(*host, false);
  EXPECT_EQ(SetChunk(*host, false, std::vector<char>(bank.begin(), bank.begin() + bank.size() / 2)), 0);
  EXPECT_EQ(GetChunk(*host, false), before);
}

TEST(Module, ChunkHostsGetProgramChunksForEveryRequest) {
  for (const char* vendor : {"Native Instruments", "JUCE VST Host"}) {
    auto host = LoadPlugin(vendor);
    host->SetParameter(8, 0.5f);
    const std::vector<char> asBank = GetChunk(*host, false);
    const std::vector<char> asProgram = GetChunk(*host, true);
    EXPECT_EQ(asBank, asProgram) << vendor;
    host->SetParameter(8, 0.0f);
    EXPECT_EQ(SetChunk(*host, false, asBank), 1) << vendor;
    EXPECT_FLOAT_EQ(host->GetParameter(8), 0.5f) << vendor;
  }
}

}  // namespace
