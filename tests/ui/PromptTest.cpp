// Asking for values: the right-button prompt, text entries, popup menus and
// the scripted answers of the headless editor.
#include "tests/ui/EditorFixture.h"

using namespace editortest;

namespace {

const PointerMods kRight{false, true, false, false, false};

class Prompt : public EditorFixture {
 protected:
  CountingControl* AddPrompting(int parameter) {
    auto* control = new CountingControl(&plugin, {40, 40, 80, 60}, parameter);
    control->SetPromptDisabled(false);
    editor->AttachControl(control);
    return control;
  }
};

}  // namespace

TEST_F(Prompt, EnumerationOffersItsValueNamesAndADismissedMenuChangesNothing) {
  CountingControl* control = AddPrompting(kWave);
  Attach();
  editor->ScriptAnswers().menuChoices.push_back(2);
  editor->PointerPressed(50, 50, kRight);
  editor->PointerReleased(50, 50, kRight);
  ASSERT_EQ(editor->Menus().size(), 1u);
  EXPECT_EQ(editor->Menus()[0].labels, (std::vector<std::string>{"Tri", "Saw", "Pulse"}));
  // Named values prompt over the control's own area.
  EXPECT_EQ(editor->Menus()[0].rect, control->Area());
  EXPECT_EQ(control->Value(), 1.0);
  EXPECT_EQ(plugin.Parameter(kWave)->value, 2.0);
  EXPECT_TRUE(control->RedrawsAgain());
  // A dismissed menu changes nothing.
  editor->PointerPressed(50, 50, kRight);
  EXPECT_EQ(editor->Menus().size(), 2u);
  EXPECT_EQ(control->Value(), 1.0);
  EXPECT_EQ(plugin.Parameter(kWave)->value, 2.0);
}

TEST_F(Prompt, NumbersAreAskedInABoxCentredOnTheControlAndCommittedAtTheNextTick) {
  CountingControl* control = AddPrompting(kCutoff);
  Attach();
  editor->ScriptAnswers().enteredTexts.push_back("12.5");
  editor->PointerPressed(50, 50, kRight);
  ASSERT_EQ(editor->TextEntries().size(), 1u);
  EXPECT_EQ(editor->TextEntries()[0].text, "50.0");
  EXPECT_EQ(editor->TextEntries()[0].rect, (Rect{40, 42, 80, 58}));
  EXPECT_TRUE(editor->TextEntries()[0].forParameter);
  EXPECT_TRUE(editor->TextEntryOpen());
  EXPECT_EQ(plugin.Parameter(kCutoff)->value, 50.0);
  // A second entry cannot open over the first.
  editor->PointerPressed(50, 50, kRight);
  EXPECT_EQ(editor->TextEntries().size(), 1u);
  editor->Tick();
  EXPECT_FALSE(editor->TextEntryOpen());
  EXPECT_DOUBLE_EQ(control->Value(), 0.125);
  EXPECT_DOUBLE_EQ(plugin.Parameter(kCutoff)->value, 12.5);
}

TEST_F(Prompt, CommittedTextsAreReadLeniently) {
  CountingControl* control = AddPrompting(kCutoff);
  Attach();
  editor->CommitTextEntry(control, plugin.Parameter(kCutoff), "1000");  // clamped
  EXPECT_EQ(control->Value(), 1.0);
  editor->CommitTextEntry(control, plugin.Parameter(kCutoff), "not a number");
  EXPECT_EQ(control->Value(), 0.0);
  editor->CommitTextEntry(control, plugin.Parameter(kCutoff), "25abc");
  EXPECT_EQ(control->Value(), 0.25);
  editor->CommitTextEntry(control, plugin.Parameter(kCutoff), "nan");
  EXPECT_EQ(control->Value(), 0.25);
  editor->CommitTextEntry(control, plugin.Parameter(kWave), "Pulse");
  EXPECT_EQ(control->Value(), 1.0);
  editor->CommitTextEntry(control, plugin.Parameter(kWave), "Sine");
  EXPECT_EQ(control->Value(), 0.0);
}

class TextTaker : public CountingControl {
 public:
  using CountingControl::CountingControl;
  void AcceptEnteredText(const char* text) override { taken = text; }
  std::string taken;
};

TEST_F(Prompt, FreeTextEntriesHandOverTheirFirst31Characters) {
  auto* taker = new TextTaker(&plugin, {0, 0, 10, 10}, -2);
  editor->AttachControl(taker);
  Attach();
  editor->ScriptAnswers().enteredTexts.push_back(std::string(40, 'x'));
  editor->OpenTextEntry(taker, taker->Style(), {0, 0, 100, 20}, "old", nullptr);
  editor->Tick();
  EXPECT_EQ(taker->taken, std::string(31, 'x'));
  // Without a scripted text the entry is cancelled.
  editor->OpenTextEntry(taker, taker->Style(), {0, 0, 100, 20}, "old", nullptr);
  editor->Tick();
  EXPECT_EQ(taker->taken, std::string(31, 'x'));
  EXPECT_FALSE(editor->TextEntryOpen());
}

TEST_F(Prompt, SubmenuChoicesComeBackAsTheSubmenuWithItsOwnIndex) {
  Attach();
  MenuList menu(kNumberTwoDigits);
  menu.AddEntry("First");
  auto* sub = new MenuList;
  sub->AddEntry("Inner A");
  sub->AddEntry("Inner B");
  menu.AddEntry("More", -1, sub);
  menu.AddEntry("Greyed", -1, nullptr, kMenuGreyed);
  menu.AddEntry("Zeroth", 0);
  // Ids: the top list takes 0..3, the submenu 4..5.
  EXPECT_EQ(MenuCommandId(&menu, sub, 1), 5);
  int index = -1;
  EXPECT_EQ(FindMenuCommand(&menu, 5, &index), sub);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(FindMenuCommand(&menu, 6, &index), nullptr);

  editor->ScriptAnswers().menuChoices.push_back(5);
  EXPECT_EQ(editor->RunPopupMenu(&menu, {0, 0, 10, 10}), sub);
  EXPECT_EQ(sub->ChosenIndex(), 1);
  EXPECT_EQ(editor->Menus()[0].labels, (std::vector<std::string>{"01: Zeroth", "02: First", "03: More", "04: Greyed"}));
  // Greyed entries and submenu items cannot be picked.
  editor->ScriptAnswers().menuChoices.push_back(3);
  EXPECT_EQ(editor->RunPopupMenu(&menu, {0, 0, 10, 10}), nullptr);
  editor->ScriptAnswers().menuChoices.push_back(2);
  EXPECT_EQ(editor->RunPopupMenu(&menu, {0, 0, 10, 10}), nullptr);
  editor->ScriptAnswers().menuTexts.push_back("Inner A");
  EXPECT_EQ(editor->RunPopupMenu(&menu, {0, 0, 10, 10}), sub);
  EXPECT_EQ(sub->ChosenIndex(), 0);
}

TEST_F(Prompt, WebPagesAskFirstAndReportFailure) {
  Attach();
  editor->ScriptAnswers().messageAnswers.push_back(kAnswerNo);
  EXPECT_FALSE(editor->OpenWebPage("http://127.0.0.1/", "Kestrion", "Open the page?", "Could not open"));
  EXPECT_TRUE(editor->UrlsOpened().empty());
  EXPECT_FALSE(editor->OpenWebPage("http://127.0.0.1/", "Kestrion", nullptr, "Could not open"));
  ASSERT_EQ(editor->Messages().size(), 2u);
  EXPECT_EQ(editor->Messages()[1].text, "Could not open");
  EXPECT_EQ(editor->Messages()[1].type, kMessageOk);
  editor->ScriptAnswers().urlsOpen = true;
  EXPECT_TRUE(editor->OpenWebPage("http://127.0.0.1/", "Kestrion", nullptr, nullptr));
  EXPECT_EQ(editor->UrlsOpened().size(), 2u);
}

TEST_F(Prompt, FilePromptsTakeTheScriptedPathAndItsFolder) {
  Attach();
  char path[kPathLength] = "start.fxp";
  char folder[kPathLength] = "";
  editor->ScriptAnswers().files.push_back("/banks/mine/sound.fxp");
  editor->PromptForFile(path, kFileSave, folder, "fxp");
  EXPECT_STREQ(path, "/banks/mine/sound.fxp");
  EXPECT_STREQ(folder, "/banks/mine/");
  ASSERT_EQ(editor->Files().size(), 1u);
  EXPECT_EQ(editor->Files()[0].initialPath, "start.fxp");
  EXPECT_EQ(editor->Files()[0].mode, kFileSave);
  editor->PromptForFile(path, kFileOpen, folder, "fxp fxb");
  EXPECT_STREQ(path, "");
  EXPECT_STREQ(folder, "/banks/mine/");
}
