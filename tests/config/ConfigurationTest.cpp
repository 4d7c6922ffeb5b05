#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "instrument/Configuration.h"
#include "instrument/ParameterIndex.h"
#include "platform/FileSystem.h"
#include "platform/KnownFolders.h"
#include "platform/ProfileFile.h"
#include "tests/config/UserFolders.h"
#include "tests/vst2/TestHost.h"

namespace {

using Instance = testhost::PlayingInstance;
namespace cfg = configuration;

class ConfigurationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testfolders::UseFreshUserFolders();
    path = testfolders::ConfigurationFile();
  }

  std::string Value(const char* section, const char* key) {
    char text[2048];
    platform::ReadProfileValue(path, section, key, "(none)", text, sizeof text);
    return text;
  }

  std::string ProgramName(Instance& host, int index) {
    char name[300] = {};
    host.Call(vst::effGetProgramNameIndexed, index, 0, name);
    return name;
  }

  // A configuration file as a user might have edited it; lines end in CRLF
  // as the system writes them.
  void WriteFile(const std::string& text) { testfolders::WriteText(path, text); }

  std::string path;
};

TEST_F(ConfigurationTest, AFreshUserGetsAnEmptyFileAndTheDefaults) {
  ASSERT_FALSE(platform::FileExists(path));
  Instance host;
  Kestrion& synth = *host.synth;
  EXPECT_EQ(synth.ConfigurationPath(), path);
  EXPECT_TRUE(platform::FileExists(path));
  EXPECT_EQ(testfolders::FileText(path), "");
  EXPECT_FALSE(synth.MidiThru());
  EXPECT_FALSE(synth.IgnoresProgramChange());
  EXPECT_EQ(synth.StartupBankPath(), "");
  EXPECT_EQ(synth.DefaultFolder(), platform::DocumentsFolder());
  for (int c = 0; c < Synth::kLearnableControllers; ++c) EXPECT_EQ(synth.LearnedParameter(c), -1);
}

TEST_F(ConfigurationTest, TheFirstSaveWritesEverySectionAndOnlyBoundControllers) {
  Instance host;
  Kestrion& synth = *host.synth;
  synth.SetMidiLearn(true, false);
  host.SetParameter(Param::Cutoff, 0.25f);
  host.Send(0, 0xB0, 7, 0);
  ASSERT_EQ(synth.LearnedParameter(7), Param::Cutoff);
  synth.SetMidiThru(true);
  synth.WriteConfiguration(false);

  const std::string text = testfolders::FileText(path);
  for (const char* section : {"[MIDI Global]", "[Startup Bank]", "[Editor]", "[MIDI Control]"})
    EXPECT_NE(text.find(section), std::string::npos) << section;
  EXPECT_EQ(text.find("[Global]"), std::string::npos);  // written only by its own command
  EXPECT_EQ(Value("MIDI Global", "MIDI Thru"), "true");
  EXPECT_EQ(Value("MIDI Global", "Ignore Program Change"), "false");
  EXPECT_EQ(Value("Startup Bank", "File"), "");
  EXPECT_EQ(Value("MIDI Control", "CC7"), std::to_string(Param::Cutoff));
  // One controller key, and the Editor section holds nothing.
  EXPECT_EQ(text.find("CC"), text.rfind("CC"));
  const std::size_t editor = text.find("[Editor]") + 8;
  const std::size_t next = text.find('[', editor);
  EXPECT_EQ(text.substr(editor, next - editor).find_first_not_of("\r\n"), std::string::npos);
}

TEST_F(ConfigurationTest, SwitchesAreTrueInAnyCaseFalseOtherwiseAndKeptWhenEmpty) {
  WriteFile("[MIDI Global]\r\nMIDI Thru=TRUE\r\nIgnore Program Change=yes\r\n");
  Instance host;
  Kestrion& synth = *host.synth;
  EXPECT_TRUE(synth.MidiThru());
  EXPECT_FALSE(synth.IgnoresProgramChange());

  WriteFile("[MIDI Global]\r\nMIDI Thru=\r\nIgnore Program Change=True\r\n");
  EXPECT_EQ(synth.ReadConfiguration(), cfg::kRead);
  EXPECT_TRUE(synth.MidiThru());
  EXPECT_TRUE(synth.IgnoresProgramChange());

  // Missing keys keep the settings too.
  WriteFile("");
  EXPECT_EQ(synth.ReadConfiguration(), cfg::kRead);
  EXPECT_TRUE(synth.MidiThru());
  EXPECT_TRUE(synth.IgnoresProgramChange());
}

TEST_F(ConfigurationTest, ControllerEntriesBindUnbindAndKeepOutOfRangeNumbers) {
  WriteFile("[MIDI Control]\r\nCC7=0\r\nCC8=abc\r\nCC9=85\r\nCC10=-0\r\nCC11=12 dB\r\n");
  Instance host;
  Kestrion& synth = *host.synth;
  EXPECT_EQ(synth.LearnedParameter(7), 0);
  EXPECT_EQ(synth.LearnedParameter(8), -1);
  EXPECT_EQ(synth.LearnedParameter(9), 85);
  EXPECT_EQ(synth.LearnedParameter(10), -1);
  EXPECT_EQ(synth.LearnedParameter(11), 12);

  // 85 names no parameter: moving controller 9 does nothing at all.
  host.Send(0, 0xB0, 9, 127);
  host.Render(64);
  EXPECT_TRUE(testhost::Record().automated.empty());
  // Controller 7 drives parameter 0.
  host.Send(0, 0xB0, 7, 127);
  host.Render(64);
  ASSERT_EQ(testhost::Record().automated.size(), 1u);
  EXPECT_EQ(testhost::Record().automated[0].first, 0);

  // An empty value keeps the entry; a missing key unbinds it.
  WriteFile("[MIDI Control]\r\nCC7=\r\n");
  synth.ReadConfiguration();
  EXPECT_EQ(synth.LearnedParameter(7), 0);
  EXPECT_EQ(synth.LearnedParameter(9), -1);
  WriteFile("[MIDI Control]\r\n");
  synth.ReadConfiguration();
  EXPECT_EQ(synth.LearnedParameter(7), -1);
}

TEST_F(ConfigurationTest, ALongProgramFolderComesBackWhole) {
  const std::string folder = platform::JoinPath(std::string(900, 'f'), "banks and programs");
  {
    Instance host;
    host.synth->WriteDefaultFolder(&folder);
    EXPECT_EQ(host.synth->DefaultFolder(), folder);
  }
  EXPECT_EQ(Value("Global", "Path to Program Files"), folder);
  Instance host;
  EXPECT_EQ(host.synth->DefaultFolder(), folder);
}

TEST_F(ConfigurationTest, MidiOnlyWritesLeaveTheControllersInTheFile) {
  WriteFile("[MIDI Control]\r\nCC7=3\r\n");
  Instance host;
  Kestrion& synth = *host.synth;
  synth.SetMidiLearn(true, false);
  host.Send(0, 0xB0, 20, 0);
  host.SetParameter(Param::Resonance, 0.5f);
  synth.SetIgnoreProgramChange(true);
  synth.WriteConfiguration(true);
  EXPECT_EQ(Value("MIDI Global", "Ignore Program Change"), "true");
  EXPECT_EQ(Value("MIDI Control", "CC7"), "3");
  EXPECT_EQ(Value("MIDI Control", "CC20"), "(none)");
  EXPECT_EQ(testfolders::FileText(path).find("[Editor]"), std::string::npos);
}

TEST_F(ConfigurationTest, AReloadOfAMissingFileSaysSoAndChangesNothing) {
  WriteFile("[MIDI Global]\r\nMIDI Thru=true\r\n[MIDI Control]\r\nCC7=3\r\n");
  Instance host;
  Kestrion& synth = *host.synth;
  std::remove(path.c_str());
  EXPECT_EQ(synth.ReadConfiguration(), cfg::kFileMissing);
  EXPECT_TRUE(synth.MidiThru());
  EXPECT_EQ(synth.LearnedParameter(7), 3);
  EXPECT_FALSE(platform::FileExists(path));
}

TEST_F(ConfigurationTest, AConfiguredStartupBankReplacesTheFactoryBankAndAMissingOneFallsBack) {
  const std::string bank =
      platform::JoinPath(platform::JoinPath(platform::ConfigurationFolder(), "HarrowvaleMusic"), "startup.fxb");
  std::remove(bank.c_str());
  std::string factoryName;
  {
    Instance host;
    factoryName = ProgramName(host, 0);
    char name[] = "Startup Zero";
    host.Call(vst::effSetProgramName, 0, 0, name);
    ASSERT_TRUE(host.synth->SaveBankFile(bank));
    host.synth->SetStartupBank(bank);
    EXPECT_EQ(host.synth->StartupBankPath(), bank);
  }
  EXPECT_EQ(Value("Startup Bank", "File"), bank);
  {
    Instance host;
    EXPECT_EQ(ProgramName(host, 0), "Startup Zero");
    EXPECT_EQ(host.synth->StartupBankPath(), bank);
  }
  std::remove(bank.c_str());
  {
    Instance host;
    EXPECT_EQ(ProgramName(host, 0), factoryName);
    // Kept, so that saving the configuration does not erase the user's choice.
    EXPECT_EQ(host.synth->StartupBankPath(), bank);
    host.synth->WriteConfiguration(true);
    EXPECT_EQ(Value("Startup Bank", "File"), bank);
    host.synth->SetStartupBank(bank);
    host.synth->ClearStartupBank();
    EXPECT_EQ(host.synth->StartupBankPath(), "");
    EXPECT_EQ(Value("Startup Bank", "File"), "(none)");
  }
}

TEST_F(ConfigurationTest, ASaveChangesOnlyTheInstrumentsEntriesAndMovesItsSectionsToTheEnd) {
  WriteFile(
      "; kept by hand\r\n[Editor]\r\nWidth=640\r\n[ midi global ]\r\n  midi thru  =  TRUE  \r\n\r\n"
      "Colour = \"blue\"\r\n[Startup Bank]\r\nFile=/old.fxb\r\n[Other]\r\nx=1\r\n"
      "[startup bank]\r\nFile=again\r\n[MIDI Control]\r\nCC7 = 3\r\nCC200=5\r\n");
  Instance host;
  Kestrion& synth = *host.synth;
  synth.SetMidiLearn(true, false);
  host.SetParameter(Param::Cutoff, 0.25f);
  host.Send(0, 0xB0, 9, 0);
  synth.WriteConfiguration(false);

  // As every earlier version left it: names keep their spelling, the
  // sections the save empties or rewrites go last, in the order it touches them.
  std::string expected;
  for (const std::string& line : std::initializer_list<std::string>{
           "; kept by hand", "[midi global]", "midi thru=true", "Colour=\"blue\"", "Ignore Program Change=false",
           "[Other]", "x=1", "[Startup Bank]", "File=/old.fxb", "[Editor]", "[MIDI Control]", "CC7=3",
           "CC9=" + std::to_string(Param::Cutoff)})
    expected += line + platform::kProfileLineEnd;
  EXPECT_EQ(testfolders::FileText(path), expected);
}

// Two instances saving at once, here two threads of one process: whatever
// moment a reader looks, the file is one whole save or the other. (Windows
// may refuse a save while the file is open for reading, and a read while it
// is replaced; neither mixes two saves.)
TEST_F(ConfigurationTest, WritersAtOnceLeaveOneWholeFileOrTheOther) {
  cfg::Settings first, second;
  for (int k = 0; k < Synth::kLearnableControllers; ++k) {
    platform::profile::Set(first, cfg::kMidiControlSection, cfg::ControllerKey(k).c_str(), "1");
    platform::profile::Set(second, cfg::kMidiControlSection, cfg::ControllerKey(k).c_str(), "22");
  }
  platform::profile::Set(second, cfg::kGlobalSection, cfg::kProgramFolderKey, "/second");
  const std::string texts[] = {platform::profile::Format(first), platform::profile::Format(second)};
  WriteFile(texts[0]);

  std::atomic<int> writing{2};
  const auto writer = [&](const cfg::Settings& settings) {
    for (int i = 0; i < 100; ++i) platform::profile::Write(path, settings);
    --writing;
  };
  std::thread one(writer, std::cref(first)), two(writer, std::cref(second));
  int reads = 0, broken = 0;
  for (std::string text; writing > 0;) {
    if (!platform::ReadWholeFile(path, 1 << 20, text)) continue;
    broken += text != texts[0] && text != texts[1];
    ++reads;
  }
  one.join();
  two.join();
  EXPECT_EQ(broken, 0) << "of " << reads << " reads";
  const std::string last = testfolders::FileText(path);
  EXPECT_TRUE(last == texts[0] || last == texts[1]);
}

TEST(ConfigurationValues, ControllerTextsReadAsDecimalNumbers) {
  EXPECT_EQ(cfg::ParseControllerEntry("0"), 0);
  EXPECT_EQ(cfg::ParseControllerEntry("00"), 0);
  EXPECT_EQ(cfg::ParseControllerEntry("0x1F"), 0);
  EXPECT_EQ(cfg::ParseControllerEntry("69"), 69);
  EXPECT_EQ(cfg::ParseControllerEntry(" +12"), 12);
  EXPECT_EQ(cfg::ParseControllerEntry("-5"), -5);
  EXPECT_EQ(cfg::ParseControllerEntry("abc"), -1);
  EXPECT_EQ(cfg::ParseControllerEntry(""), -1);
  EXPECT_EQ(cfg::ParseControllerEntry("99999999999999999999"), INT32_MAX);
  EXPECT_EQ(cfg::ParseControllerEntry("-99999999999999999999"), INT32_MIN);
}

TEST(ConfigurationValues, SwitchTexts) {
  EXPECT_TRUE(cfg::ParseSwitch("tRuE", false));
  EXPECT_FALSE(cfg::ParseSwitch("true!", true));
  EXPECT_FALSE(cfg::ParseSwitch("tru", true));
  EXPECT_FALSE(cfg::ParseSwitch("1", true));
  EXPECT_TRUE(cfg::ParseSwitch("", true));
  EXPECT_FALSE(cfg::ParseSwitch("", false));
  EXPECT_EQ(cfg::ControllerKey(119), "CC119");
}

}  // namespace
