#include "ui/PopupMenuView.h"

#include <gtest/gtest.h>

#include "graphics/RasterBitmap.h"
#include "plugin/EditorView.h"
#include "ui/FontCache.h"
#include "ui/MessageBoxView.h"
#include "ui/PanelZoom.h"

namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 800;

// X, Sub > (p, q greyed, r), separator, Y greyed, Z disabled, W
MenuList* MakeMenu() {
  auto* menu = new MenuList;
  menu->AddEntry("X");
  auto* sub = new MenuList(kNumberTwoDigits);
  sub->AddEntry("p");
  sub->AddEntry("q", -1, nullptr, kMenuGreyed);
  sub->AddEntry("r");
  menu->AddEntry("Sub", -1, sub);
  menu->AddSeparator();
  menu->AddEntry("Y", -1, nullptr, kMenuGreyed);
  menu->AddEntry("Z", -1, nullptr, kMenuDisabled);
  menu->AddEntry("W", -1, nullptr, kMenuChecked);
  return menu;
}

TEST(PopupMenuStack, ArrowsSkipSeparatorsGreyedAndDisabledEntriesAndWrap) {
  std::unique_ptr<MenuList> menu(MakeMenu());
  PopupMenuStack stack(*menu, nullptr, 10, 10, kScreenWidth, kScreenHeight);
  const PopupMenuView& root = stack.Level(0);  // the root stays put while no submenu opens
  EXPECT_EQ(root.Highlight(), -1);
  stack.Key(kMenuKeyDown);
  EXPECT_EQ(root.Highlight(), 0);
  stack.Key(kMenuKeyDown);
  stack.Key(kMenuKeyDown);
  EXPECT_EQ(root.Highlight(), 5);
  stack.Key(kMenuKeyDown);
  EXPECT_EQ(root.Highlight(), 0);
  stack.Key(kMenuKeyUp);
  EXPECT_EQ(root.Highlight(), 5);
  // Return on an entry the highlight cannot reach chooses nothing either.
  EXPECT_FALSE(stack.Click(0, 3));
  EXPECT_FALSE(stack.Click(0, 4));
  EXPECT_EQ(stack.Outcome(), kMenuOpen);
}

TEST(PopupMenuStack, SubmenuEntriesAnswerTheSharedCommandIds) {
  std::unique_ptr<MenuList> menu(MakeMenu());
  PopupMenuStack stack(*menu, nullptr, 10, 10, kScreenWidth, kScreenHeight);
  stack.Key(kMenuKeyDown);
  stack.Key(kMenuKeyDown);
  stack.Key(kMenuKeyRight);
  ASSERT_EQ(stack.Depth(), 2);
  EXPECT_EQ(stack.Level(1).Highlight(), 0);
  EXPECT_GT(stack.Level(1).left, stack.Level(0).left);
  stack.Key(kMenuKeyLeft);
  EXPECT_EQ(stack.Depth(), 1);
  stack.Key(kMenuKeyReturn);  // opens it too
  ASSERT_EQ(stack.Depth(), 2);
  stack.Key(kMenuKeyDown);  // past the greyed q
  EXPECT_EQ(stack.Level(1).Highlight(), 2);
  stack.Key(kMenuKeyReturn);
  EXPECT_EQ(stack.Outcome(), kMenuChosen);
  // The root reserves ids 0..5, so the submenu's r is 6 + 2.
  EXPECT_EQ(stack.ChosenId(), 8);
  int index = -1;
  EXPECT_EQ(FindMenuCommand(menu.get(), stack.ChosenId(), &index), menu->Entry(1)->submenu.get());
  EXPECT_EQ(index, 2);
}

TEST(PopupMenuStack, EscapeClosesTheInnermostMenuAndThenDismisses) {
  std::unique_ptr<MenuList> menu(MakeMenu());
  PopupMenuStack stack(*menu, nullptr, 10, 10, kScreenWidth, kScreenHeight);
  const graphics::Rect subRow = stack.Level(0).EntryRect(1);
  const int depth = stack.LevelAt(stack.Level(0).left + subRow.left + 2, stack.Level(0).top + subRow.top + 2);
  ASSERT_EQ(depth, 0);
  stack.PointerOver(0, 1);  // hovering opens the submenu
  ASSERT_EQ(stack.Depth(), 2);
  stack.Key(kMenuKeyEscape);
  EXPECT_EQ(stack.Depth(), 1);
  EXPECT_EQ(stack.Outcome(), kMenuOpen);
  stack.Key(kMenuKeyEscape);
  EXPECT_EQ(stack.Outcome(), kMenuDismissed);
  EXPECT_EQ(stack.ChosenId(), -1);
}

TEST(PopupMenuStack, MenusStayOnTheScreen) {
  std::unique_ptr<MenuList> menu(MakeMenu());
  PopupMenuStack stack(*menu, nullptr, kScreenWidth - 5, kScreenHeight - 5, kScreenWidth, kScreenHeight);
  const PopupMenuView& root = stack.Level(0);
  EXPECT_LE(root.left + root.Width(), kScreenWidth);
  EXPECT_LE(root.top + root.Height(), kScreenHeight);
  stack.PointerOver(0, 1);
  ASSERT_EQ(stack.Depth(), 2);
  // No room on the right: the submenu opens on the left of its parent.
  EXPECT_LT(stack.Level(1).left, stack.Level(0).left);
  EXPECT_LE(stack.Level(1).top + stack.Level(1).Height(), kScreenHeight);
}

TEST(PopupMenuView, AtTwiceTheSizeTheMenuIsTwiceAsLargeAndHitsWhereItDraws) {
  std::unique_ptr<MenuList> menu(MakeMenu());
  menu->AddEntry("An entry long enough to set the width");
  const TextStyle style("Tahoma", 13, ArgbColour{});
  graphics::RasterCachedFont* font = fontcache::FindOrCreate(style);
  graphics::RasterCachedFont* largeFont = fontcache::FindOrCreate(Zoomed(style, 200));
  ASSERT_TRUE(font && largeFont);
  const PopupMenuView normal(*menu, font);
  PopupMenuView large(*menu, largeFont, 200);
  // The fonts round their metrics on their own (the system's hints text at
  // each size its own way): a pixel or two per row, a little in width.
  EXPECT_NEAR(large.Width(), 2 * normal.Width(), normal.Width() / 10);
  EXPECT_NEAR(large.Height(), 2 * normal.Height(), 2 * menu->Count());
  for (int i = 0; i < menu->Count(); ++i)
    EXPECT_NEAR(large.EntryRect(i).Height(), 2 * normal.EntryRect(i).Height(), 2) << "entry " << i;

  // The highlight covers exactly the pixels the hit test gives its entry.
  constexpr int kChecked = 5;
  graphics::RasterMemBitmap plain(large.Width(), large.Height()), lit(large.Width(), large.Height());
  large.Draw(plain);
  ASSERT_TRUE(large.SetHighlight(kChecked));
  large.Draw(lit);
  graphics::Rect changed;
  for (int y = 0; y < large.Height(); ++y)
    for (int x = 0; x < large.Width(); ++x)
      if (plain.Row(y)[x] != lit.Row(y)[x]) changed = graphics::Union(changed, {x, y, x + 1, y + 1});
  EXPECT_EQ(changed, large.EntryRect(kChecked));
  EXPECT_EQ(large.EntryAt(changed.left, changed.top), kChecked);
  EXPECT_EQ(large.EntryAt(changed.right - 1, changed.bottom - 1), kChecked);
  EXPECT_EQ(large.EntryAt(changed.left, changed.top - 1), kChecked - 1);
  // Inside a border twice as wide, which the hit test leaves out.
  EXPECT_EQ(changed.left, 2);
  EXPECT_EQ(large.EntryAt(changed.left - 1, changed.top), -1);
}

TEST(MessageBoxView, ButtonsAnswerReturnAndEscapeByType) {
  const MessageBoxView yesNo("Overwrite?\n\tsure", kMessageYesNo | kMessageIconError, nullptr);
  ASSERT_EQ(yesNo.ButtonCount(), 2);
  EXPECT_EQ(yesNo.ReturnAnswer(), kAnswerYes);
  EXPECT_EQ(yesNo.EscapeAnswer(), kAnswerNo);
  const graphics::Rect no = yesNo.ButtonRect(1);
  EXPECT_EQ(yesNo.ButtonAt(no.left + 2, no.top + 2), 1);
  EXPECT_EQ(yesNo.ButtonAt(no.left + 2, no.top - 1), -1);
  const MessageBoxView ok("Done", kMessageOk, nullptr);
  EXPECT_EQ(ok.ReturnAnswer(), kAnswerOk);
  EXPECT_EQ(ok.EscapeAnswer(), kAnswerOk);
  EXPECT_EQ(MessageBoxView::ExpandTabs("ab\tc\t"), "ab      c       ");
  // A long path in the text does not push the buttons off the screen.
  graphics::RasterCachedFont* font = fontcache::FindOrCreate(TextStyle("Tahoma", 13, ArgbColour{}));
  ASSERT_NE(font, nullptr);
  const MessageBoxView wide(("The file is:\n/" + std::string(1000, 'x')).c_str(), kMessageOk, font);
  EXPECT_LE(wide.Width(), 1024);
}

}  // namespace
