#include <gtest/gtest.h>

#include <vector>

#include "tests/vst2/TestHost.h"
#include "vst2/ChunkHosts.h"
#include "vst2/VstPlugin.h"

using namespace vst;
using testhost::Instance;

namespace {
std::vector<unsigned char> GetChunk(Instance& i, int index) {
  void* data = nullptr;
  VstIntPtr size = i.Call(effGetChunk, index, 0, &data);
  auto* bytes = static_cast<unsigned char*>(data);
  return std::vector<unsigned char>(bytes, bytes + size);
}
}  // namespace

TEST(Chunk, BankRoundTripRestoresNamesValuesAndCurrentSlot) {
  std::vector<unsigned char> bank;
  {
    Instance a;
    a.Call(effSetProgram, 0, 3);
    a.Call(effString2Parameter, 43, 0, const_cast<char*>("0.25"));
    a.Call(effSetProgramName, 0, 0, const_cast<char*>("Acid"));
    bank = GetChunk(a, 0);
  }
  Instance b;
  ASSERT_EQ(b.Call(effSetChunk, 0, static_cast<VstIntPtr>(bank.size()), bank.data()), 1);
  // The receiving instance keeps its own current slot.
  EXPECT_EQ(b.Call(effGetProgram), 0);
  EXPECT_EQ(b.Text(effGetProgramNameIndexed, 3), "Acid");
  b.Call(effSetProgram, 0, 3);
  EXPECT_EQ(b.Text(effGetParamDisplay, 43), "0.25");
}

TEST(Chunk, ProgramChunkIsRecordPlusNameAndRoundTrips) {
  Instance a;
  a.Call(effSetProgramName, 0, 0, const_cast<char*>("Lead"));
  a.Call(effString2Parameter, 0, 0, const_cast<char*>("Poly"));
  auto program = GetChunk(a, 1);
  // header, tag, number, name, 70 values, then the name again
  EXPECT_EQ(program.size(), 8u + 14 + 4 + 4 + 4 + 560 + 4 + 4);
  Instance b;
  ASSERT_EQ(b.Call(effSetChunk, 1, static_cast<VstIntPtr>(program.size()), program.data()), 1);
  EXPECT_EQ(b.Text(effGetParamDisplay, 0), "Poly");
  EXPECT_EQ(b.Text(effGetProgramName, 0), "Lead");
}

// Hosts known to keep program chunks only get them for a bank request, and
// a bank they send as a program is read as a bank.
TEST(Chunk, ChunkHostsGetProgramChunksAndMayGiveBanksAsPrograms) {
  Instance ordinary;
  ordinary.Call(effSetProgram, 0, 7);
  ordinary.Call(effSetProgramName, 0, 0, const_cast<char*>("Seven"));
  std::vector<unsigned char> bank = GetChunk(ordinary, 0);
  EXPECT_GT(bank.size(), 64u * 500);
  Instance chunkHost("Native Instruments");
  EXPECT_EQ(GetChunk(chunkHost, 0), GetChunk(chunkHost, 1));
  Instance juce("juce vst host");
  ASSERT_EQ(juce.Call(effSetChunk, 1, static_cast<VstIntPtr>(bank.size()), bank.data()), 1);
  EXPECT_EQ(juce.Text(effGetProgramNameIndexed, 7), "Seven");
}

TEST(Chunk, TruncatedChunksAtEveryLengthChangeNothing) {
  std::vector<unsigned char> bank, program;
  {
    Instance a;
    a.Call(effString2Parameter, 43, 0, const_cast<char*>("0.25"));
    bank = GetChunk(a, 0);
    program = GetChunk(a, 1);
  }
  Instance b;
  b.Call(effSetProgramName, 0, 0, const_cast<char*>("Mine"));
  auto before = GetChunk(b, 0);
  const size_t withoutName = program.size() - 9;  // a state alone is a whole program chunk
  for (size_t n = 0; n < program.size(); ++n) {
    if (n == withoutName) continue;
    EXPECT_EQ(b.Call(effSetChunk, 1, static_cast<VstIntPtr>(n), program.data()), 0) << n;
  }
  for (size_t n = 0; n < bank.size(); n += 97)
    EXPECT_EQ(b.Call(effSetChunk, 0, static_cast<VstIntPtr>(n), bank.data()), 0) << n;
  EXPECT_EQ(GetChunk(b, 0), before);
}

TEST(Chunk, NonFiniteValuesAndAbsurdSizesAreRefused) {
  Instance a;
  auto program = GetChunk(a, 1);
  size_t firstValue = 8 + 14 + 4 + 4 + 5;
  for (int k = 0; k < 8; ++k) program[firstValue + k] = 0xFF;  // a NaN
  auto before = GetChunk(a, 0);
  EXPECT_EQ(a.Call(effSetChunk, 1, static_cast<VstIntPtr>(program.size()), program.data()), 0);
  EXPECT_EQ(a.Call(effSetChunk, 1, -5, program.data()), 0);
  EXPECT_EQ(GetChunk(a, 0), before);
}

// A bank may mark a slot empty while the instance still holds a program
// there: selecting the slot then takes the current state, never the old one.
TEST(Chunk, ASlotABankLeftEmptyTakesTheCurrentStateWhenSelected) {
  constexpr int kCutoff = 43;
  std::vector<unsigned char> bank;
  {
    Instance a;
    InstrumentOf(a.effect)->Preset(5)->initialised = false;
    bank = GetChunk(a, 0);
  }
  Instance b;
  b.Call(effSetProgram, 0, 5);
  b.effect->setParameter(b.effect, kCutoff, 0.9f);
  b.Call(effSetProgram, 0, 0);  // slot 5 now holds the cutoff at 0.9
  ASSERT_EQ(b.Call(effSetChunk, 0, static_cast<VstIntPtr>(bank.size()), bank.data()), 1);
  b.effect->setParameter(b.effect, kCutoff, 0.2f);
  b.Midi(0xC0, 5, 0);  // empty: takes the edited program 0
  b.Midi(0xC0, 0, 0);
  b.Midi(0xC0, 5, 0);
  EXPECT_EQ(b.Call(effGetProgram), 5);
  EXPECT_FLOAT_EQ(b.effect->getParameter(b.effect, kCutoff), 0.2f);
}

TEST(ChunkHosts, TheWholeVendorStringMatchesInAnyCase) {
  EXPECT_TRUE(IsProgramChunkHost("Native Instruments"));
  EXPECT_TRUE(IsProgramChunkHost("JUCE VST Host"));
  EXPECT_FALSE(IsProgramChunkHost("native instruments gmbh"));
  EXPECT_FALSE(IsProgramChunkHost(nullptr));
}
