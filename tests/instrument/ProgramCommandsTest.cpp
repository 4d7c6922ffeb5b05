// The options menu's commands and program selection as the editor runs
// them: a headless editor's script answers the questions and picks real
// files in a scratch folder. Every dialog also checks that the plug-in
// mutex is free while it waits for the user.
#include "instrument/ProgramCommands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "instrument/ParameterIndex.h"
#include "platform/FileSystem.h"
#include "platform/KnownFolders.h"
#include "platform/ProfileFile.h"
#include "tests/config/UserFolders.h"
#include "tests/vst2/TestHost.h"
#include "ui/HeadlessEditor.h"

namespace {

using namespace programcommands;
using testhost::Record;
using testhost::Snapshot;
constexpr std::size_t kParameters = Kestrion::kParameterCount;

// A headless editor that notes whether another thread could have taken the
// plug-in mutex while a message box or a file prompt was up.
class ProbingEditor : public HeadlessEditor {
 public:
  using HeadlessEditor::HeadlessEditor;
  int ShowMessage(const char* text, const char* caption, int type) override {
    Probe();
    return HeadlessEditor::ShowMessage(text, caption, type);
  }
  void PromptForFile(char* path, int mode, char* folder, const char* extensions) override {
    Probe();
    HeadlessEditor::PromptForFile(path, mode, folder, extensions);
  }
  bool mutexHeldInDialog = false;

 private:
  void Probe() {
    std::thread other([&] {
      const bool free = static_cast<bool>(EffectBase::TryLock(*static_cast<Synth*>(Delegate())));
      mutexHeldInDialog = mutexHeldInDialog || !free;
    });
    other.join();
  }
};

// The editor of an instance as the panel drives it.
Editor* MakeProbingEditor(EditorDelegate* plugin, int width, int height) {
  return new ProbingEditor(plugin, width, height);
}

// A question or a prompt as one text to compare.
template <typename... Parts>
std::string Joined(const Parts&... parts) {
  std::ostringstream out;
  ((out << parts << '|'), ...);
  return out.str();
}

class ProgramCommandsTest : public ::testing::Test {
 protected:
  ProgramCommandsTest() {
    std::filesystem::remove_all(scratch);
    for (const char* folder : {"files", "banks"}) std::filesystem::create_directories(Path(folder));
  }
  void TearDown() override { EXPECT_FALSE(editor.mutexHeldInDialog); }

  std::string Path(const char* name) const { return platform::JoinPath(scratch, name); }
  std::string Path(const char* folder, const char* file) const { return platform::JoinPath(Path(folder), file); }
  void Run(int command, std::initializer_list<int> answers = {}, const std::string& file = "") {
    editor.ScriptAnswers().messageAnswers.assign(answers);
    if (!file.empty()) editor.ScriptAnswers().files.push_back(file);
    synth.HandleOptionCommand(command, &editor);
  }
  std::string Ini(const char* section, const char* key) const {
    char text[2048];
    platform::ReadProfileValue(synth.ConfigurationPath(), section, key, "(none)", text, sizeof text);
    return text;
  }
  std::string Name() const { return synth.PresetName(synth.CurrentPreset()); }
  std::vector<float> Values() const {
    std::vector<float> values;
    for (std::size_t p = 0; p < kParameters; ++p) values.push_back(host.effect->getParameter(host.effect, p));
    return values;
  }
  std::string Asked() const {
    if (editor.Messages().empty()) return "(none)";
    const HeadlessEditor::MessageAsked& m = editor.Messages().back();
    return Joined(m.text, m.caption, m.type);
  }
  std::string Prompted() const {
    if (editor.Files().empty()) return "(none)";
    const HeadlessEditor::FileAsked& f = editor.Files().back();
    return Joined(f.initialPath, f.extensions, f.mode, f.folder);
  }

  const bool freshUser = (testfolders::UseFreshUserFolders(), true);  // before the instance reads it
  testhost::PlayingInstance host{MakeProbingEditor};
  Kestrion& synth = *host.synth;
  ProbingEditor& editor = static_cast<ProbingEditor&>(EditorOf(host.effect)->Window());
  const std::string scratch = platform::JoinPath(platform::ConfigurationFolder(), "command-files");
  const std::string documents = platform::DocumentsFolder();
};

TEST(ProgramCommandRules, FolderPartFileNameAndNeighbours) {
  EXPECT_EQ(FolderOf("C:\\Sounds\\Lead.fxp"), "C:\\Sounds");
  EXPECT_EQ(FolderOf("/home/user/a/b.fxb"), "/home/user/a");
  EXPECT_EQ(FolderOf("/b.fxb"), "");
  EXPECT_EQ(FolderOf("b.fxb"), "");
  EXPECT_EQ(CleanProgramFileName("Lead/Bass: Mix?"), "Lead_Bass_ Mix_");
  EXPECT_EQ(CleanProgramFileName("<>:\"/\\|?*ok"), "_________ok");
  EXPECT_EQ(CleanProgramFileName(std::string(70, 'x')), std::string(63, 'x'));
  EXPECT_EQ(NeighbourProgram(63, 1, 64), 0);
  EXPECT_EQ(NeighbourProgram(0, -1, 64), 63);
  EXPECT_EQ(NeighbourProgram(7, 1, 64), 8);
}

TEST_F(ProgramCommandsTest, PasteTakesTheCopiedValuesAndThePresentNameOfTheirProgram) {
  const std::string untouched = Snapshot(host);
  Run(kPasteProgram, {kAnswerYes});
  EXPECT_EQ(Snapshot(host), untouched);
  EXPECT_FALSE(synth.HasCopiedProgram());

  synth.SelectProgram(3);
  host.SetParameter(Param::Cutoff, 0.2f);
  Run(kCopyProgram);
  EXPECT_TRUE(synth.HasCopiedProgram());
  const std::vector<float> copied = Values();
  synth.RenameProgram("Three Renamed");
  synth.SelectProgram(5);
  ASSERT_NE(Values(), copied);
  Record() = {};
  Run(kPasteProgram, {kAnswerYes});
  EXPECT_EQ(Asked(), Joined("Do you really want to overwrite the current program?", "Paste Program", kMessageYesNo));
  EXPECT_EQ(Values(), copied);
  EXPECT_EQ(Name(), "Three Renamed");
  EXPECT_EQ(Record().automated.size(), kParameters);
  EXPECT_GT(Record().displayUpdates, 0);
  // The clipboard stays for the next paste, and program 5 keeps what it took.
  synth.SelectProgram(6);
  Run(kPasteProgram, {kAnswerYes});
  EXPECT_EQ(Values(), copied);
  synth.SelectProgram(5);
  EXPECT_EQ(Values(), copied);
}

TEST_F(ProgramCommandsTest, InitSetsEveryDefaultNamesTheProgramAndTellsTheHost) {
  host.SetParameter(Param::Cutoff, 0.1f);
  Run(kInitProgram, {kAnswerYes});
  EXPECT_EQ(Asked(),
            Joined("Do you really want to initialize the current program?", "Initialize Program", kMessageYesNo));
  EXPECT_EQ(Name(), "Init");
  std::map<int, float> told;
  for (const auto& [index, value] : Record().automated) told[index] = value;
  ASSERT_EQ(told.size(), kParameters);
  for (int p = 0; p < int(kParameters); ++p) {
    const EffectParameter& parameter = *synth.Parameter(p);
    EXPECT_NEAR(parameter.value, parameter.defaultValue, 1e-9) << parameter.name;
    EXPECT_FLOAT_EQ(told[p], float(parameter.ToNormalized())) << parameter.name;
  }
}

TEST_F(ProgramCommandsTest, ProgramsAndBanksGoToFilesAndComeBack) {
  const std::string program = Path("files", "lead.fxp"), bank = Path("banks", "all.fxb");
  synth.RenameProgram("Lead/Bass: Mix?");
  host.SetParameter(Param::Cutoff, 0.3f);  // an edit the slot does not hold yet
  const std::vector<float> saved = Values();
  Run(kSaveProgram, {}, program);
  EXPECT_EQ(Prompted(), Joined("Lead_Bass_ Mix_", "fxp", kFileSave, documents));
  Run(kSaveBank, {}, bank);
  EXPECT_EQ(Prompted(), Joined("Kestrion", "fxb", kFileSave, Path("files")));

  synth.RenameProgram("Changed");
  host.SetParameter(Param::Cutoff, 0.9f);
  Run(kLoadProgram, {}, program);
  EXPECT_EQ(Prompted(), Joined("", "fxp", kFileOpen, Path("banks")));
  EXPECT_EQ(Values(), saved);
  EXPECT_EQ(Name(), "Lead/Bass: Mix?");

  synth.SelectProgram(9);
  const std::string nine = Name();
  synth.RenameProgram("Changed");
  Run(kLoadBank, {}, bank);
  EXPECT_EQ(Prompted(), Joined("", "fxb", kFileOpen, Path("files")));
  EXPECT_EQ(Name(), nine);
  synth.SelectProgram(0);
  EXPECT_EQ(Name(), "Lead/Bass: Mix?");
  EXPECT_EQ(Values(), saved);
  EXPECT_TRUE(editor.Messages().empty());
}

TEST_F(ProgramCommandsTest, ARefusedFileChangesNothingButTheFolderAndSaysSo) {
  const std::string junk = Path("files", "junk.fxb"), nowhere = Path("missing", "x.fxb");
  testfolders::WriteText(junk, "CcnK not a bank at all");
  const std::string before = Snapshot(host);
  for (int command : {kLoadProgram, kLoadBank}) {
    Run(command, {}, junk);
    EXPECT_EQ(Asked(), Joined("Cannot load file!", "Error", kMessageOk));
    EXPECT_EQ(Snapshot(host), before);
    EXPECT_EQ(synth.DefaultFolder(), Path("files"));
  }
  Run(kSaveBank, {}, nowhere);
  EXPECT_EQ(Asked(), Joined("Cannot save file!", "Error", kMessageOk));
  EXPECT_FALSE(platform::FileExists(nowhere));
  EXPECT_EQ(synth.DefaultFolder(), Path("missing"));
}

TEST_F(ProgramCommandsTest, DefaultPathKeepsOnlyTheFolderAndWritesIt) {
  const std::string chosen = Path("files", "anything");
  Run(kDefaultFolder, {}, chosen);
  EXPECT_EQ(Prompted(), Joined("[file name is ignored]", " ", kFileSave, documents));
  EXPECT_EQ(synth.DefaultFolder(), Path("files"));
  EXPECT_EQ(Ini("Global", "Path to Program Files"), Path("files"));
  EXPECT_FALSE(platform::FileExists(chosen));
  // Without a default folder the prompt starts among the documents.
  synth.SetDefaultFolder("");
  Run(kDefaultFolder, {}, chosen);
  EXPECT_EQ(Prompted(), Joined("[file name is ignored]", " ", kFileSave, documents));
}

TEST_F(ProgramCommandsTest, MidiSwitchesAreWrittenAtOnceAndTheRestWhenAsked) {
  Run(kMidiThru);
  Run(kIgnoreProgramChange);
  EXPECT_TRUE(synth.MidiThru() && synth.IgnoresProgramChange());
  EXPECT_EQ(Ini("MIDI Global", "MIDI Thru") + Ini("MIDI Global", "Ignore Program Change"), "truetrue");
  Run(kMidiThru);
  EXPECT_EQ(Ini("MIDI Global", "MIDI Thru"), "false");
  EXPECT_EQ(Ini("MIDI Control", "CC0"), "(none)");  // the MIDI settings only
  EXPECT_TRUE(editor.Messages().empty());

  const std::string& ini = synth.ConfigurationPath();
  const std::string about = "The INI configuration file is:\n" + ini + "\n\nDo you really want to ";
  Run(kSaveConfiguration, {kAnswerYes});
  EXPECT_EQ(Asked(), Joined(about + "overwrite it?", "Save Configuration", kMessageYesNo));
  EXPECT_NE(testfolders::FileText(ini).find("[Editor]"), std::string::npos);

  testfolders::WriteText(ini, "[MIDI Global]\r\nMIDI Thru=true\r\n");
  Run(kReloadConfiguration, {kAnswerYes});
  EXPECT_EQ(Asked(), Joined(about + "reload it?", "Reload Configuration", kMessageYesNo));
  EXPECT_TRUE(synth.MidiThru());
  std::filesystem::remove(ini);
  Run(kReloadConfiguration, {kAnswerYes});
  EXPECT_EQ(Asked(), Joined("The INI file does not exist.", "Problem with INI File", kMessageOk));
  EXPECT_TRUE(synth.MidiThru());
  EXPECT_FALSE(platform::FileExists(ini));
}

TEST_F(ProgramCommandsTest, StartupBankIsSelectedLoadedAndUnselected) {
  const std::string bank = Path("banks", "start.fxb");
  const std::string about = "The Startup Bank is:\n" + bank + "\n\nDo you really want to ";
  synth.RenameProgram("Startup");
  ASSERT_TRUE(synth.SaveBankFile(bank));
  Run(kSelectStartupBank, {}, bank);
  EXPECT_EQ(Prompted(), Joined("", "fxb", kFileOpen, documents));
  EXPECT_EQ(synth.StartupBankPath(), bank);
  EXPECT_EQ(Ini("Startup Bank", "File"), bank);
  Run(kLoadProgram);
  EXPECT_EQ(Prompted(), Joined("", "fxp", kFileOpen, Path("banks")));

  synth.RenameProgram("Changed");
  Run(kLoadStartupBank, {kAnswerYes});
  EXPECT_EQ(Asked(), Joined(about + "reload all programs?", "Load Startup Bank", kMessageYesNo));
  EXPECT_EQ(Name(), "Startup");
  std::filesystem::remove(bank);
  Run(kLoadStartupBank, {kAnswerYes});
  EXPECT_EQ(Asked(), Joined("Cannot load file!", "Error", kMessageOk));

  Run(kUnselectStartupBank, {kAnswerYes});
  EXPECT_EQ(Asked(), Joined(about + "unselect it?", "Unselect Startup Bank", kMessageYesNo));
  EXPECT_EQ(synth.StartupBankPath(), "");
  EXPECT_EQ(Ini("Startup Bank", "File"), "(none)");
  // With none selected, neither command asks anything.
  Run(kLoadStartupBank, {kAnswerYes});
  Run(kUnselectStartupBank, {kAnswerYes});
  EXPECT_EQ(editor.Messages().size(), 4u);
}

TEST_F(ProgramCommandsTest, AnythingButYesToAQuestionChangesNothing) {
  // Each command below would change something if it ran.
  synth.SelectProgram(1);
  Run(kCopyProgram);
  synth.SelectProgram(2);
  ASSERT_TRUE(synth.SaveBankFile(Path("banks", "start.fxb")));
  synth.SetStartupBank(Path("banks", "start.fxb"));
  synth.RenameProgram("Edited");
  testfolders::WriteText(synth.ConfigurationPath(), "[MIDI Global]\r\nMIDI Thru=true\r\n");
  const auto state = [&] {
    return Joined(Snapshot(host), testfolders::FileText(synth.ConfigurationPath()), synth.StartupBankPath(),
                  synth.MidiThru());
  };
  const std::string before = state();
  for (int command :
       {kPasteProgram, kInitProgram, kReloadConfiguration, kSaveConfiguration, kLoadStartupBank, kUnselectStartupBank})
    for (int answer : {kAnswerNo, kAnswerCancel}) {
      const std::size_t asked = editor.Messages().size();
      Run(command, {answer});
      EXPECT_EQ(editor.Messages().size(), asked + 1) << command;
      EXPECT_EQ(state(), before) << command << " answered " << answer;
    }
  // A cancelled file prompt does nothing either.
  for (int command : {kLoadProgram, kSaveProgram, kLoadBank, kSaveBank, kDefaultFolder, kSelectStartupBank})
    Run(command);
  EXPECT_EQ(state() + synth.DefaultFolder(), before + documents);
}

TEST_F(ProgramCommandsTest, SelectingAProgramKeepsTheEditsOfTheOneLeft) {
  synth.SelectProgram(2);
  host.SetParameter(Param::Cutoff, 0.125f);
  const std::vector<float> edited = Values();
  Record() = {};
  synth.SelectProgram(4);
  EXPECT_EQ(Record().automated.size(), kParameters);
  EXPECT_GT(Record().displayUpdates, 0);
  synth.SelectProgram(2);
  EXPECT_EQ(Values(), edited);
  synth.SelectProgram(64);
  synth.SelectProgram(-1);
  EXPECT_EQ(synth.CurrentPreset(), 2);

  synth.SelectProgram(63);
  synth.SelectProgram(NeighbourProgram(synth.CurrentPreset(), 1, synth.PresetCount()));
  EXPECT_EQ(synth.CurrentPreset(), 0);
  synth.SelectProgram(NeighbourProgram(synth.CurrentPreset(), -1, synth.PresetCount()));
  EXPECT_EQ(synth.CurrentPreset(), 63);
}

TEST(ProgramCommandsWithoutEditor, OnlyCommandsThatAskNothingRun) {
  testfolders::UseFreshUserFolders();
  testhost::PlayingInstance host;
  const std::string before = Snapshot(host);
  for (int command = -1; command <= 22; ++command)
    if (command != kMidiThru && command != kIgnoreProgramChange) host.synth->HandleOptionCommand(command, nullptr);
  EXPECT_EQ(Snapshot(host), before);
  EXPECT_TRUE(host.synth->HasCopiedProgram());
}

}  // namespace
