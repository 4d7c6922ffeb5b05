// Attaching an editor to a plug-in, seen from the host.
#include "tests/editor/EditorFixture.h"

using namespace editortest;

TEST_F(EditorFixture, AttachingAnEditorAddsTheEditorFlagAndRectangle) {
  vst::AEffect* effect = plugin.EffectRecord();
  EXPECT_EQ(effect->flags, 0x1130);
  vst::ERect* rect = nullptr;
  EXPECT_EQ(effect->dispatcher(effect, vst::effEditGetRect, 0, 0, &rect, 0), 0);
  EXPECT_EQ(rect, nullptr);
  EXPECT_EQ(effect->dispatcher(effect, vst::effEditOpen, 0, 0, nullptr, 0), 0);

  Attach();
  EXPECT_EQ(effect->flags, 0x1131);
  ASSERT_EQ(effect->dispatcher(effect, vst::effEditGetRect, 0, 0, &rect, 0), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 100);
  EXPECT_EQ(rect->right, 200);
  EXPECT_EQ(effect->dispatcher(effect, vst::effEditGetRect, 0, 0, nullptr, 0), 0);
  // The drawing surfaces exist from now on, at the panel's size.
  ASSERT_NE(editor->EditorBitmap(), nullptr);
  EXPECT_EQ(editor->EditorBitmap()->Width(), 200);
  EXPECT_EQ(editor->EditorBitmap()->Height(), 100);
}

TEST_F(EditorFixture, AttachingStartsTheControlsInStepWithTheParameters) {
  auto* cutoff = new CountingControl(&plugin, {0, 0, 10, 10}, kCutoff);
  auto* level = new CountingControl(&plugin, {10, 0, 20, 10}, kLevel);
  auto* free = new CountingControl(&plugin, {20, 0, 30, 10}, -1);
  editor->AttachControl(cutoff);
  editor->AttachControl(level);
  editor->AttachControl(free);
  Attach();
  EXPECT_DOUBLE_EQ(cutoff->Value(), 0.5);
  EXPECT_DOUBLE_EQ(cutoff->DefaultValue(), 0.5);
  EXPECT_DOUBLE_EQ(level->Value(), 0.25);
  EXPECT_DOUBLE_EQ(free->DefaultValue(), -1.0);
  EXPECT_TRUE(HostCalls().empty());
}

TEST_F(EditorFixture, HostParameterChangesMoveTheControls) {
  auto* level = new CountingControl(&plugin, {10, 0, 20, 10}, kLevel);
  editor->AttachControl(level);
  Attach();
  vst::AEffect* effect = plugin.EffectRecord();
  effect->setParameter(effect, kLevel, 0.75f);
  editor->Tick();
  EXPECT_DOUBLE_EQ(level->Value(), 0.75);
  char text[] = "0.5";
  effect->dispatcher(effect, vst::effString2Parameter, kLevel, 0, text, 0);
  editor->Tick();
  EXPECT_DOUBLE_EQ(level->Value(), 0.5);
}

TEST_F(EditorFixture, TheHostOpensAndClosesTheWindowNotTheControls) {
  auto* level = new CountingControl(&plugin, {10, 0, 20, 10}, kLevel);
  editor->AttachControl(level);
  Attach();
  vst::AEffect* effect = plugin.EffectRecord();
  int parent = 0;
  EXPECT_EQ(effect->dispatcher(effect, vst::effEditOpen, 0, 0, &parent, 0), 1);
  EXPECT_TRUE(editor->IsWindowOpen());
  editor->Tick();
  EXPECT_GT(level->renders, 0);
  EXPECT_EQ(effect->dispatcher(effect, vst::effEditClose, 0, 0, nullptr, 0), 1);
  EXPECT_FALSE(editor->IsWindowOpen());
  EXPECT_EQ(editor->ControlCount(), 1);
  // The host's idle calls reach the plug-in's IdleTick.
  effect->dispatcher(effect, vst::effEditIdle, 0, 0, nullptr, 0);
  EXPECT_EQ(plugin.idleTicks, 1);
}
