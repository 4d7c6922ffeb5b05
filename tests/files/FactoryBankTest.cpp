// The factory bank: the file the build makes from its source, the resource
// inside the plug-in file, and what each of its programs sounds like.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "plugin/StateBuffer.h"
#include "tests/files/FileHeaders.h"
#include "tests/vst2/TestHost.h"
#include "tools/bankbuild/BankSource.h"
#include "tools/vsthost/VstHost.h"
#include "vst2/VstPlugin.h"

namespace {

std::string FactoryBank() {
  std::string bytes;
  EXPECT_TRUE(platform::ReadWholeFile(FACTORY_BANK, 1 << 20, bytes)) << FACTORY_BANK;
  return bytes;
}

TEST(FactoryBank, FileHasTheBankLayoutWithAllSlotsInitialised) {
  const std::string bank = FactoryBank();
  filetest::ExpectBankHeader(bank, 0);
  ASSERT_GT(bank.size(), 160u);

  // The chunk ends exactly after the 64th slot, and every slot is in use.
  testhost::Instance instance;
  EffectBase& plugin = *InstrumentOf(instance.effect);
  StateBuffer chunk;
  chunk.AppendBytes(bank.data() + 160, static_cast<int>(bank.size() - 160));
  int position = 0;
  ReadChunkHeader(chunk, position);
  EXPECT_EQ(plugin.MeasurePresets(chunk, position), chunk.Size());
  ASSERT_EQ(plugin.UnserializePresets(chunk, position), chunk.Size());
  for (int slot = 0; slot < 64; ++slot) EXPECT_TRUE(plugin.Preset(slot)->initialised) << slot;
  EXPECT_STREQ(plugin.PresetName(63), "Init");
}

TEST(FactoryBank, InitIsEveryDefaultAndTheSourceNamesEverySlot) {
  std::string source;
  ASSERT_TRUE(platform::ReadWholeFile(FACTORY_BANK_SOURCE, 1 << 20, source));
  std::vector<bankbuild::ProgramSource> programs;
  ASSERT_EQ(bankbuild::ParseBankSource(source, programs), "");
  ASSERT_EQ(programs.size(), 64u);
  EXPECT_TRUE(programs.back().settings.empty());

  vsthost::VstHost host;
  std::string error;
  ASSERT_TRUE(host.Load(KESTRION_MODULE_PATH, &error)) << error;
  host.Open();
  for (int slot = 0; slot < 64; ++slot)
    EXPECT_EQ(host.ProgramNameIndexed(slot), programs[std::size_t(slot)].name) << slot;
  testhost::Instance defaults;  // no resources linked: the slots hold the defaults
  host.SetProgram(63);
  for (int index = 0; index < 70; ++index)
    EXPECT_EQ(host.GetParameter(index), defaults.effect->getParameter(defaults.effect, index)) << index;
}

TEST(FactoryBank, EveryProgramSoundsWithoutClippingOrNonNumbers) {
  vsthost::VstHost host;
  std::string error;
  ASSERT_TRUE(host.Load(KESTRION_MODULE_PATH, &error)) << error;
  host.Open();
  host.SetSampleRate(44100);
  host.SetBlockSize(512);
  vsthost::Transport transport;
  transport.playing = true;
  host.SetTransport(transport);
  std::vector<float> left(512), right(512);
  float* outputs[2] = {left.data(), right.data()};
  for (int program = 0; program < 64; ++program) {
    host.SetActive(false);
    host.SetProgram(program);
    host.SetActive(true);
    double peak = 0;
    bool finite = true;
    // A chord, then a low note: every voice mode and arpeggio gets keys.
    for (int block = 0; block < 120; ++block) {
      if (block == 0) host.SendMidi({{0, {0x90, 48, 110}}, {0, {0x90, 55, 90}}, {0, {0x90, 60, 100}}});
      if (block == 60) host.SendMidi({{0, {0x80, 48, 0}}, {0, {0x80, 55, 0}}, {0, {0x80, 60, 0}}});
      if (block == 70) host.SendMidi({{0, {0x90, 36, 127}}});
      if (block == 100) host.SendMidi({{0, {0x80, 36, 0}}});
      host.Process(nullptr, outputs, 512);
      for (int i = 0; i < 512; ++i) {
        finite = finite && std::isfinite(left[i]) && std::isfinite(right[i]);
        peak = std::fmax(peak, std::fabs(left[i]));
      }
    }
    host.SendMidi({{0, {0xB0, 123, 0}}});
    EXPECT_TRUE(finite) << host.ProgramName();
    EXPECT_GT(peak, 0.01) << host.ProgramName() << " is (nearly) silent";
    EXPECT_LE(peak, 1.0) << host.ProgramName() << " clips";
  }
}

TEST(BankSource, MistakesNameTheirLine) {
  std::vector<bankbuild::ProgramSource> programs;
  EXPECT_EQ(bankbuild::ParseBankSource("CutOff = 1\n", programs), "line 1: a setting before the first program");
  EXPECT_EQ(bankbuild::ParseBankSource("# x\n[A]\nno equals sign\n", programs), "line 3: expected 'Parameter = value'");
  EXPECT_EQ(bankbuild::ParseBankSource("[A name longer than twenty-seven]\n", programs),
            "line 1: program names have at most 27 characters");

  testhost::Instance instance;
  EffectBase& plugin = *InstrumentOf(instance.effect);
  std::string text;
  for (int i = 0; i < 64; ++i) text += "[P" + std::to_string(i) + "]\n";
  ASSERT_EQ(bankbuild::ParseBankSource(text + "CutOff = 2\n", programs), "");
  EXPECT_EQ(bankbuild::ApplyBankSource(plugin, programs), "line 65: '2' is not a value of CutOff");
  ASSERT_EQ(bankbuild::ParseBankSource(text + "Wave 1 = Sine\n", programs), "");
  EXPECT_EQ(bankbuild::ApplyBankSource(plugin, programs), "line 65: 'Sine' is not a value of Wave 1");
  ASSERT_EQ(bankbuild::ParseBankSource(text + "Cutoff = 0.5\n", programs), "");
  EXPECT_EQ(bankbuild::ApplyBankSource(plugin, programs), "line 65: no parameter is called 'Cutoff'");
  ASSERT_EQ(bankbuild::ParseBankSource("[Only]\n", programs), "");
  EXPECT_EQ(bankbuild::ApplyBankSource(plugin, programs), "the bank needs 64 programs, the source has 1");
}

}  // namespace
