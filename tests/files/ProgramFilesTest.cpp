// Program and bank files: the bytes written, the four forms read, and that a
// damaged or foreign file changes nothing at all.
#include "instrument/ProgramFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "tests/files/FileHeaders.h"
#include "tests/vst2/TestHost.h"
#include "vst2/VstPlugin.h"

namespace {

using namespace vst;
using filetest::BigEndian32;
using filetest::Code;
using filetest::ParameterListProgram;
using filetest::PutBigEndian32;
using filetest::PutFloat;
using testhost::Instance;
using testhost::Snapshot;

EffectBase& Plugin(Instance& instance) { return *InstrumentOf(instance.effect); }

std::string ParameterListBank(const std::vector<std::string>& programs, std::uint32_t current) {
  std::string out = Code("CcnK");
  PutBigEndian32(out, 0);
  out += Code("FxBk");
  PutBigEndian32(out, 2);
  out += Code("1416");
  PutBigEndian32(out, 1);
  PutBigEndian32(out, static_cast<std::uint32_t>(programs.size()));
  PutBigEndian32(out, current);
  out.append(124, '\0');
  for (const std::string& program : programs) out += program;
  return out;
}

std::string Display(Instance& i, int index) { return i.Text(effGetParamDisplay, index); }

TEST(ProgramFile, SavedProgramHasItsFixedLayoutAndLoadsBack) {
  Instance a;
  a.Call(effSetProgram, 0, 2);
  a.Call(effSetProgramName, 0, 0, const_cast<char*>("A Name Longer Than Twenty-Seven"));
  a.Call(effString2Parameter, 43, 0, const_cast<char*>("0.25"));
  a.Call(effString2Parameter, 0, 0, const_cast<char*>("Poly"));
  const std::string file = programfiles::WriteProgramFile(Plugin(a));
  const std::string name = "A Name Longer Than Twenty-Seven";
  ASSERT_EQ(file.size(), 650 + name.size());
  EXPECT_EQ(file.substr(0, 4), "CcnK");
  EXPECT_EQ(BigEndian32(file, 4), file.size());
  EXPECT_EQ(file.substr(8, 4), "FPCh");
  EXPECT_EQ(BigEndian32(file, 12), 1u);
  EXPECT_EQ(file.substr(16, 4), "1416");
  EXPECT_EQ(BigEndian32(file, 20), 20302u);
  EXPECT_EQ(BigEndian32(file, 24), 70u);
  EXPECT_EQ(std::string(file.c_str() + 28), name.substr(0, 27));
  EXPECT_EQ(file[55], '\0');
  EXPECT_EQ(BigEndian32(file, 56), file.size() - 60);
  EXPECT_EQ(file.substr(60, 4), "tffp");
  EXPECT_EQ(file.substr(68, 14), "Kestrion_2.3.1");

  Instance b;
  b.Call(effSetProgram, 0, 7);
  ASSERT_TRUE(programfiles::ReadProgramFile(Plugin(b), file));
  EXPECT_EQ(Display(b, 43), "0.25");
  EXPECT_EQ(Display(b, 0), "Poly");
  EXPECT_EQ(b.Text(effGetProgramNameIndexed, 7), name.substr(0, 27));
  EXPECT_EQ(b.Call(effGetProgram), 7);
  for (int p = 0; p < 70; ++p) EXPECT_EQ(b.effect->getParameter(b.effect, p), a.effect->getParameter(a.effect, p)) << p;
}

TEST(ProgramFile, ParameterListSetsTheFirstSeventyAndIgnoresTheRest) {
  Instance i;
  std::vector<float> values(75, 0.0f);
  values[0] = 1.0f;   // KeyAssgn: the last value name
  values[43] = 0.5f;  // CutOff
  ASSERT_TRUE(programfiles::ReadProgramFile(Plugin(i), ParameterListProgram(values, "Imported")));
  EXPECT_EQ(Display(i, 0), "Poly");
  EXPECT_EQ(Display(i, 43), "0.50");
  EXPECT_EQ(i.Text(effGetProgramName, 0), "Imported");
  // An empty name keeps the slot's name.
  ASSERT_TRUE(programfiles::ReadProgramFile(Plugin(i), ParameterListProgram(values, "")));
  EXPECT_EQ(i.Text(effGetProgramName, 0), "Imported");
}

TEST(ProgramFile, ForeignTruncatedAndMalformedFilesChangeNothing) {
  Instance source;
  source.Call(effString2Parameter, 43, 0, const_cast<char*>("0.3"));
  const std::string good = programfiles::WriteProgramFile(Plugin(source));
  Instance i;
  const std::string before = Snapshot(i);

  std::string foreign = good;
  foreign.replace(16, 4, "ABCD");
  EXPECT_FALSE(programfiles::ReadProgramFile(Plugin(i), foreign));
  std::string version = good;
  version[15] = 2;
  EXPECT_FALSE(programfiles::ReadProgramFile(Plugin(i), version));
  std::string magic = good;
  magic.replace(8, 4, "FxQQ");
  EXPECT_FALSE(programfiles::ReadProgramFile(Plugin(i), magic));
  for (std::size_t length = 0; length < good.size(); ++length)
    EXPECT_FALSE(programfiles::ReadProgramFile(Plugin(i), good.substr(0, length))) << length;

  std::string notANumber = good;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::memcpy(&notANumber[notANumber.size() - 8 * 30], &nan, 8);
  EXPECT_FALSE(programfiles::ReadProgramFile(Plugin(i), notANumber));

  std::vector<float> values(70, 0.5f);
  values[12] = std::numeric_limits<float>::infinity();
  EXPECT_FALSE(programfiles::ReadProgramFile(Plugin(i), ParameterListProgram(values, "Inf")));
  const std::string list = ParameterListProgram(std::vector<float>(70, 0.5f), "Short");
  EXPECT_FALSE(programfiles::ReadProgramFile(Plugin(i), list.substr(0, list.size() - 4)));
  EXPECT_FALSE(programfiles::ReadProgramFile(Plugin(i), ParameterListProgram(values, "X", 70, "9999")));
  EXPECT_TRUE(Snapshot(i) == before);
}

TEST(BankFile, SavedBankHasItsFixedLayoutAndLoadsBackWithoutChangingSelection) {
  Instance a;
  a.Call(effSetProgram, 0, 9);
  a.Call(effSetProgramName, 0, 0, const_cast<char*>("Nine"));
  a.Call(effString2Parameter, 43, 0, const_cast<char*>("0.4"));
  a.Call(effSetProgramName, 0, 0, const_cast<char*>("Nine"));  // stores the edit
  const std::string file = programfiles::WriteBankFile(Plugin(a));
  filetest::ExpectBankHeader(file, 9);

  Instance b;
  b.Call(effSetProgram, 0, 4);
  ASSERT_TRUE(programfiles::ReadBankFile(Plugin(b), file));
  EXPECT_EQ(b.Call(effGetProgram), 4);
  EXPECT_EQ(b.Text(effGetProgramNameIndexed, 9), "Nine");
  b.Call(effSetProgram, 0, 9);
  EXPECT_EQ(Display(b, 43), "0.40");
  for (int slot = 0; slot < 64; ++slot)
    EXPECT_EQ(b.Text(effGetProgramNameIndexed, slot), a.Text(effGetProgramNameIndexed, slot)) << slot;
}

TEST(BankFile, ParameterListBankLoadsEveryEntryAndSelectsTheFilesProgram) {
  Instance i;
  std::vector<float> values(70, 0.0f);
  values[43] = 0.25f;
  const std::vector<std::string> programs = {ParameterListProgram(values, "Zero"),
                                             ParameterListProgram(std::vector<float>(69, 1.0f), "One"),
                                             ParameterListProgram(values, "Two")};
  ASSERT_TRUE(programfiles::ReadBankFile(Plugin(i), ParameterListBank(programs, 1)));
  EXPECT_EQ(i.Text(effGetProgramNameIndexed, 0), "Zero");
  EXPECT_EQ(i.Text(effGetProgramNameIndexed, 2), "Two");
  EXPECT_EQ(i.Call(effGetProgram), 1);
  EXPECT_EQ(Display(i, 0), "Poly");
  i.Call(effSetProgram, 0, 2);
  EXPECT_EQ(Display(i, 43), "0.25");
}

TEST(BankFile, AnyBadEntryOrDamageRefusesTheWholeBank) {
  Instance source;
  source.Call(effSetProgramName, 0, 0, const_cast<char*>("Source"));
  const std::string good = programfiles::WriteBankFile(Plugin(source));
  Instance i;
  i.Call(effSetProgram, 0, 3);
  const std::string before = Snapshot(i);

  // The third entry declares 68 parameters: the first two must not load either.
  std::vector<float> values(70, 0.5f);
  const std::string badThird = ParameterListBank({ParameterListProgram(values, "A"), ParameterListProgram(values, "B"),
                                                  ParameterListProgram(std::vector<float>(68, 0.5f), "C")},
                                                 0);
  EXPECT_FALSE(programfiles::ReadBankFile(Plugin(i), badThird));
  std::vector<float> nanValues = values;
  nanValues[5] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(programfiles::ReadBankFile(
      Plugin(i), ParameterListBank({ParameterListProgram(values, "A"), ParameterListProgram(nanValues, "B")}, 0)));

  for (std::size_t length = 0; length < good.size(); length += (length < 400 ? 1 : 97))
    EXPECT_FALSE(programfiles::ReadBankFile(Plugin(i), good.substr(0, length))) << length;
  EXPECT_FALSE(programfiles::ReadBankImage(Plugin(i), good.data(), good.size() - 1));
  EXPECT_FALSE(programfiles::ReadBankImage(Plugin(i), good.data(), 100));
  std::string foreign = good;
  foreign.replace(16, 4, "ABCD");
  EXPECT_FALSE(programfiles::ReadBankFile(Plugin(i), foreign));
  EXPECT_TRUE(Snapshot(i) == before);

  // A bank image ignores its header: only the chunk at 160 counts.
  EXPECT_TRUE(programfiles::ReadBankImage(Plugin(i), foreign.data(), foreign.size()));
  EXPECT_EQ(i.Text(effGetProgramNameIndexed, 0), "Source");
}

}  // namespace
