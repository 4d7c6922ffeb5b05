// The built plug-in file as hosts and plug-in scanners drive it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
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

TEST(Module, ScannerThatAnswersNothingGetsIdentityNamesAndProperties) {
  auto host = LoadPlugin("", /*scanner=*/true);
  const AEffect* effect = host->Effect();
  ASSERT_NE(effect, nullptr);
  // The same record as the linked code's, whose figures the effect record tests pin.
  testhost::Instance linked;
  auto identity = [](const AEffect* e) {
    return std::make_tuple(e->magic, e->uniqueID, e->version, e->flags, e->numPrograms, e->numParams, e->numInputs,
                           e->numOutputs);
  };
  EXPECT_EQ(identity(effect), identity(linked.effect));
  EXPECT_EQ(host->EffectName(), linked.Text(effGetEffectName, 0));
  EXPECT_EQ(host->PluginVendor(), linked.Text(effGetVendorString, 0));
  EXPECT_EQ(host->PluginProduct(), "");
  EXPECT_EQ(host->PluginVendorVersion(), linked.Call(effGetVendorVersion));
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
  for (const char* question :
       {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo", "sendVstEvents", "sendVstMidiEvent",
        "midiProgramNames", "hasCockosExtensions", "bypass", "offline", "ReceiveVstEvents"}) {
    EXPECT_EQ(host->CanDo(question), linked.Call(effCanDo, 0, 0, const_cast<char*>(question))) << question;
  }
  void* fromFile = nullptr;
  void* fromCode = nullptr;
  const VstIntPtr size = linked.Call(effGetChunk, 0, 0, &fromCode);
  ASSERT_GT(size, 0);
  ASSERT_EQ(host->Dispatch(effGetChunk, 0, 0, &fromFile), size);
  EXPECT_EQ(std::memcmp(fromFile, fromCode, static_cast<std::size_t>(size)), 0);
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
  EXPECT_TRUE(block.Finite());
}

}  // namespace
