#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "tests/vst2/TestHost.h"

using namespace vst;
using testhost::Instance;

TEST(EffectRecord, IdentityFlagsAndCounts) {
  Instance i;
  AEffect* e = i.effect;
  EXPECT_EQ(e->magic, kEffectMagic);
  EXPECT_EQ(e->uniqueID, 0x31343136);
  EXPECT_EQ(e->version, 20302);
  EXPECT_EQ(e->flags, 0x1131);  // the editor flag among them
  ERect* rect = nullptr;
  ASSERT_EQ(i.Call(effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right - rect->left, 1096);
  EXPECT_EQ(rect->bottom - rect->top, 395);
  int parent = 0;
  EXPECT_EQ(i.Call(effEditOpen, 0, 0, &parent), 0);  // not a window of the host
  EXPECT_EQ(e->numPrograms, 64);
  EXPECT_EQ(e->numParams, 70);
  EXPECT_EQ(e->numInputs, 0);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(i.Call(effGetVendorVersion), 20302);
  EXPECT_EQ(i.Call(effGetVstVersion), 2400);
  EXPECT_EQ(i.Call(effGetPlugCategory), kPlugCategSynth);
  EXPECT_EQ(i.Call(effIdentify), 0x4E764566);
  EXPECT_EQ(i.Text(effGetEffectName, 0), "Kestrion");
  EXPECT_EQ(i.Text(effGetVendorString, 0), "Harrowvale Music");
}

TEST(EffectRecord, UnknownOpcodesAndNullPointersAnswerZero) {
  Instance i;
  for (int op : {9, 16, 17, 18, 20, 21, 28, 30, 44, 56, 67, 68, 70, 71, 72, 77, 1000})
    EXPECT_EQ(i.Call(op, 0, 0, nullptr), 0) << op;
  for (int op : {effGetChunk, effSetChunk, effProcessEvents, effGetProgramNameIndexed, effGetInputProperties,
                 effGetOutputProperties, effGetEffectName, effCanDo, effGetMidiKeyName, effEditGetRect})
    EXPECT_EQ(i.Call(op, 0, 0, nullptr), 0) << op;
  EXPECT_EQ(i.Call(effCanBeAutomated, 5), 1);
}

TEST(EffectRecord, CanDoIsExactAndCaseSensitive) {
  Instance i;
  auto ask = [&](const char* q) { return i.Call(effCanDo, 0, 0, const_cast<char*>(q)); };
  EXPECT_EQ(ask("receiveVstTimeInfo"), 1);
  EXPECT_EQ(ask("receivevsttimeinfo"), 0);
  EXPECT_EQ(ask("receiveVstMidiEvent"), 1);
  EXPECT_EQ(ask("hasCockosExtensions"), 0xBEEF0000);
  EXPECT_EQ(ask("bypass"), 0);
}

TEST(EffectRecord, OutputPinsCarryTheInstrumentLabel) {
  Instance i;
  VstPinProperties pin{};
  EXPECT_EQ(i.Call(effGetOutputProperties, 0, 0, &pin), 1);
  EXPECT_EQ(pin.flags, 3);
  EXPECT_STREQ(pin.label, "Kestrion ");
  EXPECT_EQ(i.Call(effGetOutputProperties, 1, 0, &pin), 1);
  EXPECT_EQ(pin.flags, 1);
  EXPECT_EQ(i.Call(effGetOutputProperties, 2, 0, &pin), 0);
  EXPECT_EQ(i.Call(effGetInputProperties, 0, 0, &pin), 0);
}

TEST(Parameters, NamesAndDisplaysOfDefaults) {
  Instance i;
  EXPECT_EQ(i.Text(effGetParamName, 0), "KeyAssgn");
  EXPECT_EQ(i.Text(effGetParamDisplay, 0), "Unison");
  EXPECT_EQ(i.Text(effGetParamName, 41), "FX Type");
  EXPECT_EQ(i.Text(effGetParamDisplay, 41), "X-Mod");
  EXPECT_EQ(i.Text(effGetParamDisplay, 8), "1.00");
  EXPECT_EQ(i.Text(effGetParamDisplay, 12), "0.0");
  EXPECT_EQ(i.Text(effGetParamDisplay, 66), "1/4");
  EXPECT_EQ(i.Text(effGetParamName, 69), "PtmDrift");
  EXPECT_EQ(i.Text(effGetParamName, 70), "");
  EXPECT_EQ(i.Text(effGetParamLabel, 3), "");
}

TEST(Parameters, TextToParameterUsesNamesAndClampsNumbers) {
  Instance i;
  EXPECT_EQ(i.Call(effString2Parameter, 18, 0, const_cast<char*>("PW")), 1);
  EXPECT_EQ(i.Text(effGetParamDisplay, 18), "PW");
  EXPECT_EQ(i.Call(effString2Parameter, 18, 0, const_cast<char*>("Square")), 0);
  EXPECT_EQ(i.Text(effGetParamDisplay, 18), "PW");
  EXPECT_EQ(i.Call(effString2Parameter, 8, 0, const_cast<char*>("-3")), 1);
  EXPECT_EQ(i.effect->getParameter(i.effect, 8), 0.0f);
  EXPECT_EQ(i.Call(effString2Parameter, 8, 0, const_cast<char*>("nan")), 0);
  EXPECT_EQ(i.Call(effString2Parameter, 8, 0, nullptr), 1);
  EXPECT_EQ(i.Call(effString2Parameter, 99, 0, const_cast<char*>("1")), 0);
}

TEST(Parameters, VendorSpecificDisplayAndKind) {
  Instance i;
  char text[32] = {};
  EXPECT_EQ(i.Call(effVendorSpecific, effGetParamDisplay, 18, text, 1.0f), 0xBEEF);
  EXPECT_STREQ(text, "PW");
  EXPECT_EQ(i.Call(effVendorSpecific, effGetParamName, 18), 0xBEEF);
  EXPECT_EQ(i.Call(effVendorSpecific, effGetParamName, 8), 0);
}

TEST(Parameters, SetAndGetRoundTripThroughSteps) {
  Instance i;
  i.effect->setParameter(i.effect, 4, 0.5f);  // Chord #1, integer 0..128
  EXPECT_FLOAT_EQ(i.effect->getParameter(i.effect, 4), 64.0f / 128.0f);
  EXPECT_EQ(i.effect->getParameter(i.effect, -1), 0.0f);
}

TEST(Programs, SlotsStartFilledAndSelectionWorks) {
  Instance i;
  EXPECT_EQ(i.Text(effGetProgramNameIndexed, 0), "Empty");
  char name[300];
  EXPECT_EQ(i.Call(effGetProgramNameIndexed, 64, 0, name), 0);
  EXPECT_STREQ(name, "");
  i.Call(effSetProgram, 0, 5);
  EXPECT_EQ(i.Call(effGetProgram), 5);
  i.Call(effSetProgramName, 0, 0, const_cast<char*>("Fat Bass"));
  EXPECT_EQ(i.Text(effGetProgramName, 0), "Fat Bass");
  i.Call(effSetProgram, 0, 64);
  EXPECT_EQ(i.Call(effGetProgram), 5);
}

TEST(Processing, ReplacingWritesSilenceAndAccumulatingAddsTheRender) {
  Instance i;
  i.Call(effMainsChanged, 0, 1);
  std::vector<float> left(100, 0.5f), right(100, 0.5f);
  float* outs[2] = {left.data(), right.data()};
  i.effect->processReplacing(i.effect, nullptr, outs, 100);
  EXPECT_EQ(left[10], 0.0f);
  EXPECT_EQ(right[99], 0.0f);
  i.effect->processReplacing(i.effect, nullptr, outs, 0);

  // Two identical instances play the same note; one accumulates onto what
  // the host's buffers hold, the other replaces.
  Instance adding, replacing;
  for (Instance* instance : {&adding, &replacing}) {
    instance->Call(effMainsChanged, 0, 1);
    instance->Midi(0x90, 60, 100);
  }
  bool sounded = false;
  for (int block = 0; block < 8; ++block) {
    std::vector<float> heldLeft(256, 0.25f), heldRight(256, -0.5f), alone(256), aloneRight(256);
    float* onto[2] = {heldLeft.data(), heldRight.data()};
    float* fresh[2] = {alone.data(), aloneRight.data()};
    adding.effect->process(adding.effect, nullptr, onto, 256);
    replacing.effect->processReplacing(replacing.effect, nullptr, fresh, 256);
    for (size_t s = 0; s < 256; ++s) {
      sounded = sounded || alone[s] != 0.0f;
      ASSERT_EQ(heldLeft[s], alone[s] + 0.25f) << "block " << block << " sample " << s;
      ASSERT_EQ(heldRight[s], aloneRight[s] - 0.5f) << "block " << block << " sample " << s;
    }
  }
  EXPECT_TRUE(sounded) << "the note never sounded, so nothing was added";
}

TEST(Processing, BlocksLongerThanTheBlockSizeRenderInPieces) {
  Instance i;
  i.Call(effSetBlockSize, 0, 64);
  EXPECT_EQ(i.Call(effSetBlockSize, 0, 0), 0);
  std::vector<double> left(1000, 1.0), right(1000, 1.0);
  double* outs[2] = {left.data(), right.data()};
  i.effect->processDoubleReplacing(i.effect, nullptr, outs, 1000);
  EXPECT_EQ(left[999], 0.0);
  std::vector<float> fl(1000, 1.0f), fr(1000, 1.0f);
  float* fouts[2] = {fl.data(), fr.data()};
  i.effect->processReplacing(i.effect, nullptr, fouts, 1000);
  EXPECT_EQ(fr[999], 0.0f);
}

namespace {

// A headless editor that counts the live ones and fails as it starts
// showing, the last step of opening the editor.
int gLiveEditors = 0;
class FailingEditor : public HeadlessEditor {
 public:
  FailingEditor(EditorDelegate* plugin, int width, int height) : HeadlessEditor(plugin, width, height) {
    ++gLiveEditors;
  }
  ~FailingEditor() override { --gLiveEditors; }
  void* OpenWindow(void*) override { throw std::bad_alloc(); }
};

Editor* MakeFailingEditor(EditorDelegate* plugin, int width, int height) {
  return new FailingEditor(plugin, width, height);
}

}  // namespace

TEST(EffectRecord, AnEditorThatCannotOpenLeavesNothingBehind) {
  Instance i("", MakeFailingEditor);  // which tries to open it
  EXPECT_EQ(gLiveEditors, 0);
  int parent = 0;
  EXPECT_EQ(i.Call(effEditOpen, 0, 0, &parent), 0);
  EXPECT_EQ(gLiveEditors, 0);
  EXPECT_EQ(i.Call(effEditClose), 0);
}
