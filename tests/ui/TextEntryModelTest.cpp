#include "ui/TextEntryModel.h"

#include <gtest/gtest.h>

namespace {

void TypeAll(TextEntryModel& model, const char* text) {
  for (; *text; ++text) model.Type(*text);
}

TEST(TextEntryModel, TypingReplacesTheFirstSelectionAndStopsAtTheLimit) {
  TextEntryModel model("1234567", 5, kFilterAnyText);
  EXPECT_EQ(model.Text(), "12345");  // cut to the limit
  EXPECT_EQ(model.SelectionStart(), 0);
  EXPECT_EQ(model.SelectionEnd(), 5);
  TypeAll(model, "abcdef");
  EXPECT_EQ(model.Text(), "abcde");
  EXPECT_FALSE(model.Type('g'));
  EXPECT_TRUE(model.Press(kTextKeyBackspace));
  EXPECT_EQ(model.Text(), "abcd");
  model.Press(kTextKeyHome);
  model.Press(kTextKeyDelete);
  EXPECT_EQ(model.Text(), "bcd");
  EXPECT_FALSE(model.Press(kTextKeyLeft));
  model.Press(kTextKeyRight);
  model.Type('x');
  EXPECT_EQ(model.Text(), "bxcd");
  // A full field still takes a character typed over a selection.
  TextEntryModel full("abc", 3, kFilterAnyText);
  EXPECT_TRUE(full.Type('z'));
  EXPECT_EQ(full.Text(), "z");
}

TEST(TextEntryModel, ShiftExtendsTheSelectionAndArrowsCollapseIt) {
  TextEntryModel model("hello", 0, kFilterAnyText);
  EXPECT_TRUE(model.Press(kTextKeyLeft));  // lands on the selection's start
  EXPECT_EQ(model.Caret(), 0);
  EXPECT_FALSE(model.HasSelection());
  model.Press(kTextKeyEnd);
  model.Press(kTextKeyLeft, true);
  model.Press(kTextKeyLeft, true);
  EXPECT_EQ(model.SelectionStart(), 3);
  EXPECT_EQ(model.SelectionEnd(), 5);
  model.Press(kTextKeyBackspace);
  EXPECT_EQ(model.Text(), "hel");
  model.Press(kTextKeyHome, true);
  model.Type('J');
  EXPECT_EQ(model.Text(), "J");
}

TEST(TextEntryModel, FiltersLetOnlyTheirCharactersIn) {
  TextEntryModel integer("", 0, kFilterSignedInteger);
  TypeAll(integer, "-1.5a+ ");
  EXPECT_EQ(integer.Text(), "-15+");
  TextEntryModel decimal("", 0, kFilterSignedDecimal);
  TypeAll(decimal, "-1.5a+ ");
  EXPECT_EQ(decimal.Text(), "-1.5+");
  TextEntryModel any("", 0, kFilterAnyText);
  TypeAll(any, "-1.5a+ \t\r\x7f");
  EXPECT_EQ(any.Text(), "-1.5a+ ");
  EXPECT_TRUE(integer.Press(kTextKeyBackspace));  // Backspace passes every filter
  EXPECT_EQ(integer.Text(), "-15");
}

}  // namespace
