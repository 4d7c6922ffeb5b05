// Attaching an editor to a plug-in, and the window it opens and closes.
#include "tests/ui/EditorFixture.h"

using namespace editortest;

TEST_F(EditorFixture, AttachingMakesTheDrawingSurfacesAndStartsTheControlsInStep) {
  auto* cutoff = new CountingControl(&plugin, {0, 0, 10, 10}, kCutoff);
  auto* level = new CountingControl(&plugin, {10, 0, 20, 10}, kLevel);
  auto* free = new CountingControl(&plugin, {20, 0, 30, 10}, -1);
  editor->AttachControl(cutoff);
  editor->AttachControl(level);
  editor->AttachControl(free);
  Attach();
  // The drawing surfaces exist from now on, at the panel's size.
  ASSERT_NE(editor->EditorBitmap(), nullptr);
  EXPECT_EQ(editor->EditorBitmap()->Width(), 200);
  EXPECT_EQ(editor->EditorBitmap()->Height(), 100);
  EXPECT_DOUBLE_EQ(cutoff->Value(), 0.5);
  EXPECT_DOUBLE_EQ(cutoff->DefaultValue(), 0.5);
  EXPECT_DOUBLE_EQ(level->Value(), 0.25);
  EXPECT_DOUBLE_EQ(free->DefaultValue(), -1.0);
  EXPECT_TRUE(HostCalls().empty());
}

TEST_F(EditorFixture, OpeningAndClosingTheWindowKeepsTheControls) {
  auto* level = new CountingControl(&plugin, {10, 0, 20, 10}, kLevel);
  editor->AttachControl(level);
  Attach();
  int parent = 0;
  ASSERT_NE(editor->OpenWindow(&parent), nullptr);
  EXPECT_TRUE(editor->IsWindowOpen());
  editor->Tick();
  EXPECT_GT(level->renders, 0);
  editor->CloseWindow();
  EXPECT_FALSE(editor->IsWindowOpen());
  EXPECT_EQ(editor->ControlCount(), 1);
}
