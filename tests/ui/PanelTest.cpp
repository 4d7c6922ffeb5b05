// The instrument's panel through the headless editor: what a musician's
// clicks and drags do, and how the panel follows changes made elsewhere.
#include <gtest/gtest.h>

#include <string>

#include "instrument/PanelCommands.h"
#include "instrument/ParameterIndex.h"
#include "instrument/ProgramCommands.h"
#include "instrument/panel/Panel.h"
#include "instrument/panel/PanelButtons.h"
#include "instrument/panel/PanelLayout.h"
#include "instrument/panel/PanelMenus.h"
#include "tests/config/UserFolders.h"
#include "tests/ui/EditorFixture.h"
#include "tests/vst2/TestHost.h"

using namespace vst;

namespace {

class PanelTest : public testing::Test {
 protected:
  PanelTest() {
    int parent = 0;
    host.Call(effEditOpen, 0, 0, &parent);
    editor->Tick();
  }

  void Click(int x, int y, bool right = false) {
    PointerMods mods;
    mods.left = !right;
    mods.right = right;
    editor->PointerPressed(x, y, mods);
    editor->PointerReleased(x, y, mods);
  }
  void Drag(int x, int y, int dy) {
    PointerMods mods;
    mods.left = true;
    editor->PointerPressed(x, y, mods);
    editor->PointerDragged(x, y + dy, mods);
    editor->PointerReleased(x, y + dy, mods);
  }
  double Value(int parameter) { return synth->Parameter(parameter)->value; }
  Control* Bound(int index) { return editortest::FindBound(*editor, index); }
  bool Lit(int code) { return static_cast<LatchingButton*>(Bound(code))->IsOn(); }

  const bool freshUser = (testfolders::UseFreshUserFolders(), true);  // the options write the INI file
  testhost::Instance host{"", testhost::MakeHeadlessEditor};
  Kestrion* synth = InstrumentOf(host.effect);
  HeadlessEditor* editor = static_cast<HeadlessEditor*>(&EditorOf(host.effect)->Window());
  HeadlessEditor::Script& script = editor->ScriptAnswers();
};

TEST_F(PanelTest, TheLayoutTableBecomesTheControlListWithOnlyTheLightsHidden) {
  ASSERT_EQ(editor->ControlCount(), 1 + panel::kControlCount);
  for (int i = 0; i < panel::kControlCount; ++i) {
    const panel::ControlSpec& spec = panel::kControls[i];
    const Control* control = editor->ControlAt(i + 1);
    EXPECT_EQ(control->ParameterIndex(), spec.parameter) << i + 1;
    if (spec.kind != panel::ControlKind::kPresetMenu) {
      EXPECT_EQ(control->Area(), spec.area) << i + 1;
    }
    EXPECT_EQ(control->IsHidden(), spec.kind == panel::ControlKind::kLight) << i + 1;
  }
  EXPECT_EQ(editor->ControlAt(1)->Area(), (Rect{598, 342, 821, 358}));
}

TEST_F(PanelTest, DraggingFortyPixelsMovesAValueKnobAQuarterAndAWaveKnobAllTheWay) {
  host.effect->setParameter(host.effect, Param::Cutoff, 0.5f);
  host.effect->setParameter(host.effect, Param::Wave1, 0.0f);
  editor->Tick();
  Drag(870, 42, -40);
  EXPECT_NEAR(Value(Param::Cutoff), 0.75, 1e-9);
  Drag(674, 42, -40);
  EXPECT_EQ(Value(Param::Wave1), 3.0);
}

TEST_F(PanelTest, TheTweakPanelOpensAndClosesAndIsUntouchableWhileClosed) {
  const double before = Value(Param::WheelOverride);
  Drag(116, 350, -40);  // lands on the left blind
  EXPECT_EQ(Value(Param::WheelOverride), before);

  Click(28, 370);  // the open button
  panel::Panel& panel = EditorOf(host.effect)->Controls();
  for (Control* control : panel.TweakGroup()) EXPECT_FALSE(control->IsHidden());
  EXPECT_TRUE(Bound(panel::kOpenTweakPanel)->IsHidden());
  for (int row : {23, 24, 26}) EXPECT_TRUE(editor->ControlAt(row + 1)->IsHidden()) << row;
  Drag(116, 350, -40);
  EXPECT_GT(Value(Param::WheelOverride), before);

  Click(28, 370);  // now the close button
  for (Control* control : panel.TweakGroup()) EXPECT_TRUE(control->IsHidden());
  EXPECT_FALSE(Bound(panel::kOpenTweakPanel)->IsHidden());
  EXPECT_FALSE(editor->ControlAt(25)->IsHidden());
}

TEST_F(PanelTest, KeyAssignmentHoldAndEffectsButtonsSetTheirParametersAndFollowThem) {
  Click(390, 260);  // Hold
  EXPECT_EQ(Value(Param::Hold), 1.0);
  Click(543, 260);  // Poly
  editor->Tick();
  EXPECT_EQ(Value(Param::KeyAssign), 4.0);
  EXPECT_EQ(Value(Param::Hold), 0.0);
  for (int code : panel::kKeyAssignButtons) EXPECT_EQ(Lit(code), code == panel::kPolyButton) << code;
  EXPECT_FALSE(Lit(panel::kHoldButton));

  // Host automation moves the lit button too.
  host.effect->setParameter(host.effect, Param::KeyAssign, 0.5f);
  editor->Tick();
  for (int code : panel::kKeyAssignButtons) EXPECT_EQ(Lit(code), code == panel::kChordMemoryButton) << code;

  // Effects on while "FXReset" is On sends the key assignment to Unison.
  host.effect->setParameter(host.effect, Param::FxReset, 1.0f);
  Click(331, 260);
  editor->Tick();
  EXPECT_EQ(Value(Param::Effects), 1.0);
  EXPECT_EQ(Value(Param::KeyAssign), 0.0);
  EXPECT_TRUE(Lit(panel::kEffectsButton));
  EXPECT_TRUE(Lit(panel::kUnisonButton));
}

TEST_F(PanelTest, TheLearnSwitchLearnsAndChangesFaceOnlyWhileDark) {
  auto* learn = EditorOf(host.effect)->Controls().LearnSwitchControl();
  Click(500, 365, /*right=*/true);
  EXPECT_FALSE(learn->LearnFace());
  EXPECT_EQ(learn->Strip().image, editor->LoadImage(panel::kMidiUnlearnImage, ""));
  Click(500, 365);
  EXPECT_TRUE(synth->LearnActive());
  EXPECT_TRUE(synth->UnlearnMode());
  Click(500, 365, /*right=*/true);  // lit: the face stays
  EXPECT_FALSE(learn->LearnFace());
  Click(500, 365);
  EXPECT_FALSE(synth->LearnActive());
  Click(500, 365, /*right=*/true);
  EXPECT_TRUE(learn->LearnFace());
}

TEST_F(PanelTest, TheProgramDisplaySelectsRenamesAndStepsThroughPrograms) {
  script.menuTexts.push_back(std::string("23: ") + synth->PresetName(23));
  Click(610, 350);  // the number: the program menu
  ASSERT_EQ(editor->Menus().size(), 1u);
  EXPECT_EQ(editor->Menus()[0].labels, (std::vector<std::string>{"00 - 15", "16 - 31", "32 - 47", "48 - 63"}));
  EXPECT_EQ(synth->CurrentPreset(), 23);

  script.enteredTexts.push_back("A name much longer than thirty-one characters");
  Click(700, 350);  // the name: the rename box
  editor->Tick();
  EXPECT_STREQ(synth->PresetName(23), std::string("A name much longer than thirty-one").substr(0, 31).c_str());
  editor->Tick();
  EXPECT_EQ(EditorOf(host.effect)->Controls().ProgramDisplayControl()->NameText(), synth->PresetName(23));

  host.Call(effSetProgram, 0, 63);
  Click(632, 350);  // next
  EXPECT_EQ(synth->CurrentPreset(), 0);
  Click(588, 350);  // previous
  EXPECT_EQ(synth->CurrentPreset(), 63);
  editor->Tick();
  EXPECT_EQ(EditorOf(host.effect)->Controls().ProgramDisplayControl()->NumberText(), "63");
}

TEST_F(PanelTest, TheTempoDisplayOffersEveryStepLength) {
  Click(28, 370);
  script.menuTexts.push_back("1/16");
  Click(264, 350);
  ASSERT_EQ(editor->Menus().size(), 1u);
  EXPECT_EQ(editor->Menus()[0].labels.size(), 20u);
  EXPECT_EQ(Value(Param::ArpTempo), 15.0);
}

TEST_F(PanelTest, TheOptionsMenuGreysWhatCannotRunAndChecksTheMidiSwitches) {
  auto* options = static_cast<OptionsMenu*>(Bound(panel::kOptionsMenu));
  MenuList& menu = options->Menu();
  Click(500, 340);
  EXPECT_TRUE(menu.Entry(programcommands::kPasteProgram)->flags & kMenuGreyed);
  EXPECT_TRUE(menu.Entry(programcommands::kLoadStartupBank)->flags & kMenuGreyed);
  EXPECT_TRUE(menu.Entry(programcommands::kUnselectStartupBank)->flags & kMenuGreyed);

  script.menuTexts.push_back("Copy Program");
  Click(500, 340);
  script.menuTexts.push_back("MIDI Thru");
  Click(500, 340);
  EXPECT_TRUE(synth->MidiThru());
  Click(500, 340);
  EXPECT_FALSE(menu.Entry(programcommands::kPasteProgram)->flags & kMenuGreyed);
  EXPECT_TRUE(menu.Entry(programcommands::kMidiSettingsMenu)->submenu->Entry(0)->flags & kMenuChecked);

  script.urlsOpen = true;
  script.menuTexts.push_back(menu.Entry(programcommands::kOnlineMenu)->submenu->Entry(1)->text);
  Click(500, 340);
  EXPECT_EQ(editor->UrlsOpened().size(), 1u);
  EXPECT_TRUE(synth->MidiThru());
}

TEST_F(PanelTest, TheEditorGoesWithItsWindowAndANewOneShowsTheLights) {
  host.Call(effSetSampleRate, 0, 0, nullptr, 44100.0f);
  host.Call(effSetBlockSize, 0, 256);
  host.Call(effMainsChanged, 0, 1);
  host.Midi(0x90, 60, 100);
  float left[256], right[256];
  float* outputs[] = {left, right};
  host.effect->processReplacing(host.effect, nullptr, outputs, 256);

  host.Call(effEditClose);
  EXPECT_EQ(EditorOf(host.effect), nullptr);
  host.Call(effEditIdle);  // nothing to show it on
  int parent = 0;
  host.Call(effEditOpen, 0, 0, &parent);
  Control* vco1 = EditorOf(host.effect)->Controls().Light(0);
  EXPECT_TRUE(vco1->IsHidden());
  host.Call(effEditIdle);
  EXPECT_FALSE(vco1->IsHidden());
}

}  // namespace
