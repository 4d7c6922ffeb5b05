// What the pointer does to controls: drags, wheel, double clicks, switches,
// right presses, hidden controls and the begin/end edit around presses.
#include <cmath>
#include <string>

#include "tests/ui/EditorFixture.h"

using namespace editortest;

namespace {

const PointerMods kLeft{true, false, false, false, false};
const PointerMods kRight{false, true, false, false, false};
const PointerMods kLeftShift{true, false, true, false, false};
const PointerMods kLeftControl{true, false, false, true, false};
const PointerMods kNone{};

class Controls : public EditorFixture {
 protected:
  // A knob 50 px high at (10, 10), four frames, gearing 4, on Cutoff (0..100).
  KnobMultiControl* AddKnob() {
    knobImage = MakeStripImage(20, 50, 4);
    auto* knob = new KnobMultiControl(&plugin, 10, 10, kCutoff, StripOf(knobImage.get(), 4), 4.0);
    editor->AttachControl(knob);
    return knob;
  }

  // Drags the pointer from (x, y) by `distance` pixels upward (negative: down) in small steps.
  void DragUp(int x, int y, int distance, const PointerMods& mods) {
    editor->PointerPressed(x, y, mods);
    const int step = distance > 0 ? -5 : 5;
    int at = y;
    for (int moved = 0; moved < std::abs(distance); moved += 5) {
      at += step;
      editor->PointerDragged(x, at, mods);
    }
    editor->PointerReleased(x, at, mods);
  }

  // The host calls so far as "begin 0, automate 0, end 0", then forgets them.
  static std::string TakeHostSequence() {
    std::string sequence;
    for (const HostCall& call : HostCalls()) {
      if (!sequence.empty()) sequence += ", ";
      sequence += call.opcode == kBeginEdit ? "begin " : call.opcode == kEndEdit ? "end " : "automate ";
      sequence += std::to_string(call.index);
    }
    HostCalls().clear();
    return sequence;
  }

  std::unique_ptr<graphics::RasterMemBitmap> knobImage;
  std::unique_ptr<graphics::RasterMemBitmap> switchImage;
};

// A control whose press asks for its value in a menu, as the tempo display does.
class MenuOnPress : public CountingControl {
 public:
  MenuOnPress(EditorDelegate* plugin, const Rect& area, int parameter) : CountingControl(plugin, area, parameter) {
    SetDoubleClickActsAsPress(true);
  }
  void HandlePress(int, int, const PointerMods&) override { Graphics()->PromptForParameter(this); }
};

}  // namespace

TEST_F(Controls, KnobWithGearingFourSweepsItsRangeIn200PixelsStopsAtTheEndsAndIgnoresRightPresses) {
  KnobMultiControl* knob = AddKnob();
  Attach();
  ASSERT_DOUBLE_EQ(knob->Value(), 0.5);
  EXPECT_EQ(knob->Area(), (Rect{10, 10, 30, 60}));
  editor->PointerPressed(20, 30, kRight);  // a right press does nothing
  editor->PointerReleased(20, 30, kRight);
  EXPECT_EQ(knob->Value(), 0.5);
  EXPECT_TRUE(editor->TextEntries().empty() && editor->Menus().empty());

  DragUp(20, 30, -100, kLeft);  // down by 100: half the range
  EXPECT_NEAR(knob->Value(), 0.0, 1e-12);
  DragUp(20, 30, 190, kLeft);
  EXPECT_NEAR(knob->Value(), 0.95, 1e-9);
  DragUp(20, 30, 10, kLeft);
  EXPECT_NEAR(knob->Value(), 1.0, 1e-9);
  DragUp(20, 30, 100, kLeft);
  EXPECT_EQ(knob->Value(), 1.0);
  // The parameter follows in real units, and the host hears of it.
  EXPECT_DOUBLE_EQ(plugin.Parameter(kCutoff)->value, 100.0);
  ASSERT_FALSE(HostCalls().empty());
  EXPECT_FLOAT_EQ(HostCalls()[HostCalls().size() - 2].opt, 1.0f);
}

TEST_F(Controls, ShiftOrControlMakeTheDragTenTimesFiner) {
  KnobMultiControl* knob = AddKnob();
  Attach();
  DragUp(20, 30, -1000, kLeft);
  EXPECT_EQ(knob->Value(), 0.0);
  DragUp(20, 30, 200, kLeftShift);
  EXPECT_NEAR(knob->Value(), 0.1, 1e-9);
  DragUp(20, 30, 1800, kLeftControl);
  EXPECT_NEAR(knob->Value(), 1.0, 1e-9);
}

TEST_F(Controls, WheelNotchesMoveAKnobByOneHundredthOrOneThousandth) {
  KnobMultiControl* knob = AddKnob();
  Attach();
  editor->PointerWheel(20, 30, kNone, 1);
  EXPECT_NEAR(knob->Value(), 0.51, 1e-12);
  editor->PointerWheel(20, 30, PointerMods{false, false, true, false, false}, 1);
  EXPECT_NEAR(knob->Value(), 0.511, 1e-12);
  editor->PointerWheel(20, 30, kNone, -3);
  EXPECT_NEAR(knob->Value(), 0.481, 1e-12);
  editor->PointerWheel(20, 30, kNone, -1000);
  EXPECT_EQ(knob->Value(), 0.0);
  EXPECT_DOUBLE_EQ(plugin.Parameter(kCutoff)->value, 0.0);
}

TEST_F(Controls, DoubleClickRestoresTheAttachTimeValueAndTellsTheHost) {
  KnobMultiControl* knob = AddKnob();
  auto* unbound = new CountingControl(&plugin, {100, 0, 150, 50}, -1);
  editor->AttachControl(unbound);
  unbound->SetValue(0.3);
  Attach();
  DragUp(20, 30, 50, kLeft);
  ASSERT_NEAR(knob->Value(), 0.75, 1e-9);
  HostCalls().clear();
  EXPECT_FALSE(editor->PointerDoubleClicked(20, 30, kLeft));
  EXPECT_DOUBLE_EQ(knob->Value(), 0.5);
  EXPECT_DOUBLE_EQ(plugin.Parameter(kCutoff)->value, 50.0);
  ASSERT_EQ(HostCalls().size(), 3u);  // inside an edit of its own
  EXPECT_EQ(HostCalls()[1].opcode, kAutomate);
  EXPECT_FLOAT_EQ(HostCalls()[1].opt, 0.5f);
  // A control the host never gave a value keeps its own.
  editor->PointerDoubleClicked(120, 20, kLeft);
  EXPECT_DOUBLE_EQ(unbound->Value(), 0.3);
}

TEST_F(Controls, TwoFrameSwitchTogglesAndTakesRightPressesAlike) {
  switchImage = MakeStripImage(16, 16, 2);
  auto* toggle = new SwitchControl(&plugin, 50, 50, kMode, StripOf(switchImage.get(), 2));
  editor->AttachControl(toggle);
  Attach();
  EXPECT_EQ(toggle->Value(), 0.0);
  editor->PointerPressed(55, 55, kLeft);
  editor->PointerReleased(55, 55, kLeft);
  EXPECT_EQ(toggle->Value(), 1.0);
  EXPECT_EQ(plugin.Parameter(kMode)->value, 1.0);
  editor->PointerPressed(55, 55, kRight);
  editor->PointerReleased(55, 55, kRight);
  EXPECT_EQ(toggle->Value(), 0.0);
  // A double click steps twice: the first click and the double click itself.
  editor->PointerPressed(55, 55, kLeft);
  editor->PointerReleased(55, 55, kLeft);
  editor->PointerDoubleClicked(55, 55, kLeft);
  EXPECT_EQ(toggle->Value(), 0.0);
  EXPECT_TRUE(editor->TextEntries().empty());
  EXPECT_TRUE(editor->Menus().empty());
}

TEST_F(Controls, ThreeBandSwitchSelectsByThirdWithEitherButton) {
  switchImage = MakeStripImage(16, 10, 3);
  auto* bands = new SwitchFramesControl(&plugin, 100, 40, kWave, StripOf(switchImage.get(), 3));
  editor->AttachControl(bands);
  Attach();
  EXPECT_EQ(bands->Area(), (Rect{100, 40, 116, 50}));
  // Three bands of 10/3 px across the 10 px area.
  ASSERT_EQ(bands->Bands().size(), 3u);
  EXPECT_EQ(bands->Bands()[1], (Rect{100, 43, 116, 46}));
  editor->PointerPressed(105, 48, kLeft);
  EXPECT_EQ(bands->Value(), 1.0);
  EXPECT_EQ(plugin.Parameter(kWave)->value, 2.0);
  editor->PointerReleased(105, 48, kLeft);
  editor->PointerPressed(105, 44, kRight);
  EXPECT_EQ(bands->Value(), 0.5);
  EXPECT_EQ(plugin.Parameter(kWave)->value, 1.0);
  editor->PointerReleased(105, 44, kRight);
  editor->PointerPressed(105, 40, kLeft);
  EXPECT_EQ(bands->Value(), 0.0);
}

TEST_F(Controls, MomentaryContactReturnsToZeroOnRelease) {
  switchImage = MakeStripImage(16, 16, 2);
  auto* contact = new ContactControl(&plugin, 50, 50, kMode, StripOf(switchImage.get(), 2));
  editor->AttachControl(contact);
  Attach();
  editor->PointerPressed(55, 55, kLeft);
  EXPECT_EQ(contact->Value(), 1.0);
  editor->PointerReleased(55, 55, kLeft);
  EXPECT_EQ(contact->Value(), 0.0);
  EXPECT_EQ(plugin.Parameter(kMode)->value, 0.0);
}

TEST_F(Controls, HiddenAndDisabledControlsAreSkippedByTheHitSearch) {
  auto* below = new CountingControl(&plugin, {0, 0, 100, 100}, -1);
  auto* above = new CountingControl(&plugin, {0, 0, 50, 50}, -1);
  editor->AttachControl(below);
  const int aboveIndex = editor->AttachControl(above);
  Attach();
  EXPECT_EQ(editor->HitSearch(10, 10), aboveIndex);
  above->SetHidden(true);
  EXPECT_EQ(editor->HitSearch(10, 10), 0);
  above->SetHidden(false);
  above->SetDisabled(true);
  EXPECT_EQ(above->Blend().weight, 0.25f);
  EXPECT_EQ(editor->HitSearch(10, 10), 0);
  EXPECT_EQ(editor->HitSearch(150, 10), -1);
}

TEST_F(Controls, PressOnABoundControlIsBracketedByBeginAndEndEdit) {
  AddKnob();
  auto* command = new CountingControl(&plugin, {100, 0, 150, 50}, -80);
  editor->AttachControl(command);
  Attach();
  DragUp(20, 30, 20, kLeft);
  std::vector<HostCall> edits = EditCalls();
  ASSERT_EQ(edits.size(), 2u);
  EXPECT_EQ(edits[0].opcode, kBeginEdit);
  EXPECT_EQ(edits[0].index, kCutoff);
  EXPECT_EQ(edits[1].opcode, kEndEdit);
  EXPECT_EQ(edits[1].index, kCutoff);
  // Automation in between, during the drag.
  EXPECT_GT(HostCalls().size(), 2u);
  EXPECT_EQ(HostCalls().front().opcode, kBeginEdit);
  EXPECT_EQ(HostCalls().back().opcode, kEndEdit);

  HostCalls().clear();
  editor->PointerPressed(120, 20, kLeft);
  editor->PointerReleased(120, 20, kLeft);
  EXPECT_TRUE(HostCalls().empty());
  // A press on nothing does nothing.
  editor->PointerPressed(500, 500, kLeft);
  editor->PointerReleased(500, 500, kLeft);
  EXPECT_TRUE(HostCalls().empty());
}

TEST_F(Controls, EachEditTheHostHearsOfEndsOnceAndOnlyAsItBegan) {
  AddKnob();
  editor->AttachControl(new MenuOnPress(&plugin, {100, 0, 150, 50}, kWave));
  Attach();
  DragUp(20, 30, 50, kLeft);
  HostCalls().clear();
  // A release whose press went elsewhere (a menu, another window) ends nothing.
  editor->PointerReleased(20, 30, kLeft);
  EXPECT_EQ(TakeHostSequence(), "");
  // A double click on a knob: the click, then the reset in an edit of its own.
  editor->PointerPressed(20, 30, kLeft);
  editor->PointerReleased(20, 30, kLeft);
  editor->PointerDoubleClicked(20, 30, kLeft);
  editor->PointerReleased(20, 30, kLeft);
  EXPECT_EQ(TakeHostSequence(), "begin 0, end 0, begin 0, automate 0, end 0");
  // A press whose menu chooses the value ends its edit with the menu,
  // wherever the release lands; a double click there is such a press.
  editor->ScriptAnswers().menuChoices.push_back(2);
  editor->PointerPressed(120, 20, kLeft);
  editor->PointerReleased(20, 30, kLeft);
  EXPECT_EQ(TakeHostSequence(), "begin 1, automate 1, end 1");
  editor->ScriptAnswers().menuChoices.push_back(0);
  EXPECT_TRUE(editor->PointerDoubleClicked(120, 20, kLeft));
  editor->PointerReleased(120, 20, kLeft);
  EXPECT_EQ(TakeHostSequence(), "begin 1, automate 1, end 1");
}

TEST_F(Controls, HostValuesThatAreNotNumbersAreIgnored) {
  KnobMultiControl* knob = AddKnob();
  Attach();
  plugin.ShowOnEditor(kCutoff, std::nan(""), true);
  editor->Tick();
  EXPECT_EQ(knob->Value(), 0.5);
  plugin.ShowOnEditor(kCutoff, 75.0, false);  // real units
  editor->Tick();
  EXPECT_EQ(knob->Value(), 0.75);
  plugin.ShowOnEditor(kCutoff, 500.0, false);  // clamped to the range
  editor->Tick();
  EXPECT_EQ(knob->Value(), 1.0);
  plugin.ShowOnEditor(99, 5.0, false);  // no such parameter
  editor->Tick();
  EXPECT_EQ(knob->Value(), 1.0);
}
