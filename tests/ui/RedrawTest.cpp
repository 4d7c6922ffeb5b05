// The redraw cycle: what a tick draws, how often, and what reaches the frame.
#include "tests/ui/EditorFixture.h"
#include "ui/ImageCache.h"

using namespace editortest;

namespace {

class Redraw : public EditorFixture {
 protected:
  // Ticks until nothing is left to draw.
  void Settle() {
    for (int i = 0; i < 3; ++i) editor->Tick();
  }
};

}  // namespace

TEST_F(Redraw, EachChangedControlIsDrawnInTwoConsecutivePasses) {
  auto* watched = new CountingControl(&plugin, {0, 0, 20, 20}, kLevel);
  auto* other = new CountingControl(&plugin, {100, 50, 120, 70}, kCutoff);
  editor->AttachControl(watched);
  editor->AttachControl(other);
  Attach();
  Settle();
  const int before = watched->renders, otherBefore = other->renders;
  plugin.ShowOnEditor(kLevel, 0.9, true);
  editor->Tick();
  EXPECT_EQ(watched->renders, before + 1);
  editor->Tick();
  EXPECT_EQ(watched->renders, before + 2);
  editor->Tick();
  EXPECT_EQ(watched->renders, before + 2);
  // The other control lay outside the redrawn area.
  EXPECT_EQ(other->renders, otherBefore);
  EXPECT_EQ(editor->LastPresented(), (Rect{0, 0, 20, 20}));
}

TEST_F(Redraw, TwentyOneQuietTicksGiveExactlyOneIdleTick) {
  editor->AttachControl(new CountingControl(&plugin, {0, 0, 20, 20}, kLevel));
  Attach();
  Settle();
  quietTicks = 0;
  // Settling left some quiet ticks on the count; start from a change.
  plugin.ShowOnEditor(kLevel, 0.1, true);
  editor->Tick();
  editor->Tick();
  for (int i = 0; i < 20; ++i) editor->Tick();
  EXPECT_EQ(quietTicks, 0);
  editor->Tick();
  EXPECT_EQ(quietTicks, 1);
  for (int i = 0; i < 20; ++i) editor->Tick();
  EXPECT_EQ(quietTicks, 1);
  editor->Tick();
  EXPECT_EQ(quietTicks, 2);
}

TEST_F(Redraw, AnAutomationBurstIsDrawnAtMostOncePerTick) {
  auto* watched = new CountingControl(&plugin, {0, 0, 20, 20}, kLevel);
  editor->AttachControl(watched);
  Attach();
  Settle();
  const int before = watched->renders;
  for (int tick = 0; tick < 5; ++tick) {
    for (int i = 0; i < 100; ++i) plugin.ShowOnEditor(kLevel, (tick * 100 + i) / 1000.0, true);
    editor->Tick();
    EXPECT_NEAR(watched->Value(), (tick * 100 + 99) / 1000.0, 1e-12);
    EXPECT_EQ(watched->renders, before + tick + 1);
  }
  EXPECT_EQ(plugin.changed.size(), 0u);  // host values do not travel back
}

TEST_F(Redraw, HostValuesWaitForTheTickAndTheLastRecordedWins) {
  auto* level = new CountingControl(&plugin, {0, 0, 20, 20}, kLevel);
  auto* learnSwitch = new CountingControl(&plugin, {20, 0, 40, 20}, kLearnSwitchCommand);
  editor->AttachControl(level);
  editor->AttachControl(learnSwitch);
  Attach();
  Settle();
  learnSwitch->SetValue(1.0);
  plugin.ShowOnEditor(kLevel, 0.6, true);
  plugin.ShowOnEditor(kLevel, 0.9, true);
  plugin.ShowOnEditor(kLearnSwitchCommand, 0.0, true);
  EXPECT_DOUBLE_EQ(level->Value(), 0.25);
  EXPECT_DOUBLE_EQ(learnSwitch->Value(), 1.0);
  editor->Tick();
  EXPECT_DOUBLE_EQ(level->Value(), 0.9);
  EXPECT_DOUBLE_EQ(learnSwitch->Value(), 0.0);
}

TEST_F(Redraw, HiddenControlsAreNotRenderedButStillCountAsDirty) {
  auto* hidden = new CountingControl(&plugin, {10, 10, 30, 30}, kLevel);
  editor->AttachControl(hidden);
  Attach();
  Settle();
  hidden->SetHidden(true);
  const int before = hidden->renders;
  Rect dirty;
  EXPECT_TRUE(editor->CollectDirtyArea(&dirty));
  EXPECT_EQ(dirty, (Rect{10, 10, 30, 30}));
  editor->RedrawArea(dirty);
  EXPECT_EQ(hidden->renders, before);
  // Still counted on the second pass, then quiet.
  EXPECT_TRUE(editor->CollectDirtyArea(&dirty));
  editor->RedrawArea(dirty);
  EXPECT_FALSE(editor->CollectDirtyArea(&dirty));
}

TEST_F(Redraw, WithoutControlsNothingIsPresented) {
  Attach();
  EXPECT_TRUE(editor->RedrawArea({0, 0, 200, 100}));
  EXPECT_EQ(editor->PresentCount(), 0);
  Rect dirty{1, 2, 3, 4};
  EXPECT_FALSE(editor->CollectDirtyArea(&dirty));
  EXPECT_TRUE(dirty.IsEmpty());
}

TEST_F(Redraw, FramesOfTheStripReachTheScreenInsideTheRedrawnAreaOnly) {
  // Background: image 101, put in the process-wide cache by hand.
  if (!imagecache::Find(kBackgroundImageId)) {
    auto back = std::make_unique<graphics::RasterMemBitmap>(200, 100);
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 200; ++x) back->Row(y)[x] = 0xFF101010;
    imagecache::Add(std::move(back), kBackgroundImageId);
  }
  auto strip = MakeStripImage(20, 10, 4);
  editor->AttachBackground();
  auto* knob = new KnobMultiControl(&plugin, 50, 20, kLevel, StripOf(strip.get(), 4), 4.0);
  editor->AttachControl(knob);
  ASSERT_EQ(editor->ControlCount(), 2);
  EXPECT_EQ(editor->ControlAt(0)->Area(), (Rect{0, 0, 200, 100}));
  Attach();
  editor->Tick();
  const auto& frame = editor->Frame();
  // Level 0.25 over four frames: trunc(3 x 0.25 + 0.5) + 1 = frame 2.
  EXPECT_EQ(frame.Row(25)[55], 0xFF0000F2u);
  EXPECT_EQ(frame.Row(5)[5], 0xFF101010u);

  // Value 0.5 shows frame 3; a redraw of only the knob's left half leaves
  // the right half on the screen as it was.
  knob->ApplyHostValue(0.5);
  EXPECT_EQ(knob->CurrentFrame(), 3);
  editor->RedrawArea({0, 0, 60, 100});
  EXPECT_EQ(frame.Row(25)[55], 0xFF0000F3u);
  EXPECT_EQ(frame.Row(25)[65], 0xFF0000F2u);
  EXPECT_EQ(frame.Row(29)[59], 0xFF0000F3u);
  EXPECT_EQ(frame.Row(30)[55], 0xFF101010u);
}

TEST_F(Redraw, TextControlsDrawTheirTextInTheirStyle) {
  TextStyle style("Arial", 14, ArgbColour{255, 255, 255, 255}, kTextNormal, kAlignLeft);
  auto* label = new TextControl(&plugin, {10, 10, 190, 30}, style, "Kestrion");
  auto* blank = new TextControl(&plugin, {10, 50, 190, 70}, style, "");
  editor->AttachControl(label);
  editor->AttachControl(blank);
  Attach();
  editor->Tick();
  int ink = 0, outside = 0;
  const auto& frame = editor->Frame();
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 200; ++x) {
      if ((frame.Row(y)[x] & 0xFFFFFF) == 0) continue;
      if (y >= 10 && y < 30)
        ++ink;
      else
        ++outside;
    }
  }
  EXPECT_GT(ink, 30);
  EXPECT_EQ(outside, 0);
  EXPECT_NE(label->Style().cachedFont, nullptr);
  // Changing the text marks the control; the same text does not.
  editor->Tick();
  editor->Tick();
  label->ShowText("Kestrion");
  Rect dirty;
  EXPECT_FALSE(editor->CollectDirtyArea(&dirty));
  label->ShowText("Other");
  EXPECT_TRUE(editor->CollectDirtyArea(&dirty));
  EXPECT_EQ(label->Text(), "Other");
}
