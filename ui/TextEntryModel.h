// The editing rules of a one-line text field, apart from any window: the
// text, the caret and the selection, the length limit and the characters a
// field accepts. The in-place entry and the path dialog of the windows that
// draw their own fields both edit through it.
#pragma once

#include <string>

// Keys the field reacts to, whatever the system calls them.
enum TextKey { kTextKeyBackspace, kTextKeyDelete, kTextKeyLeft, kTextKeyRight, kTextKeyHome, kTextKeyEnd };

// Which typed characters a field lets in (Backspace always works).
enum TextFilter {
  kFilterAnyText = 0,        // every printable character
  kFilterSignedInteger = 1,  // digits, '+' and '-'
  kFilterSignedDecimal = 2,  // as above and '.'
};

class TextEntryModel {
 public:
  // The whole text starts selected, as a field opened over a value is
  // usually typed over. Text beyond `limit` characters is cut; limit <= 0
  // means no limit.
  TextEntryModel(const std::string& text, int limit, int filter);

  // Each returns true when the text, caret or selection changed.
  // A character the filter refuses, or one past the limit, changes nothing.
  bool Type(char character);
  // `extend` (Shift held) moves the caret and keeps the selection's anchor.
  bool Press(int key, bool extend = false);
  bool SelectAll();
  // Places the caret before character `position` (clamped).
  bool PlaceCaret(int position, bool extend = false);

  const std::string& Text() const { return text_; }
  int Caret() const { return caret_; }
  // The selection as a range of characters; empty when start == end.
  int SelectionStart() const { return caret_ < anchor_ ? caret_ : anchor_; }
  int SelectionEnd() const { return caret_ < anchor_ ? anchor_ : caret_; }
  bool HasSelection() const { return caret_ != anchor_; }
  bool Accepts(char character) const;

 private:
  bool DeleteSelection();
  bool MoveTo(int position, bool extend);

  std::string text_;
  int limit_;
  int filter_;
  int caret_ = 0;
  int anchor_ = 0;
};
