#include "ui/TextEntryModel.h"

#include <algorithm>

TextEntryModel::TextEntryModel(const std::string& text, int limit, int filter)
    : text_(text), limit_(limit), filter_(filter) {
  if (limit_ > 0 && static_cast<int>(text_.size()) > limit_) text_.resize(static_cast<std::size_t>(limit_));
  SelectAll();
}

bool TextEntryModel::Accepts(char character) const {
  const unsigned char c = static_cast<unsigned char>(character);
  if (c < 0x20 || c == 0x7F) return false;
  const bool sign = c == '+' || c == '-';
  const bool digit = c >= '0' && c <= '9';
  switch (filter_) {
    case kFilterSignedInteger: return digit || sign;
    case kFilterSignedDecimal: return digit || sign || c == '.';
    default: return true;
  }
}

bool TextEntryModel::Type(char character) {
  if (!Accepts(character)) return false;
  const int kept = static_cast<int>(text_.size()) - (SelectionEnd() - SelectionStart());
  if (limit_ > 0 && kept >= limit_) return false;
  DeleteSelection();
  text_.insert(text_.begin() + caret_, character);
  anchor_ = ++caret_;
  return true;
}

bool TextEntryModel::Press(int key, bool extend) {
  const int length = static_cast<int>(text_.size());
  switch (key) {
    case kTextKeyBackspace:
      if (HasSelection()) return DeleteSelection();
      if (caret_ == 0) return false;
      text_.erase(static_cast<std::size_t>(--caret_), 1);
      anchor_ = caret_;
      return true;
    case kTextKeyDelete:
      if (HasSelection()) return DeleteSelection();
      if (caret_ == length) return false;
      text_.erase(static_cast<std::size_t>(caret_), 1);
      return true;
    case kTextKeyLeft:
      // Without Shift, Left from a selection lands on its start.
      if (!extend && HasSelection()) return MoveTo(SelectionStart(), false);
      return MoveTo(caret_ - 1, extend);
    case kTextKeyRight:
      if (!extend && HasSelection()) return MoveTo(SelectionEnd(), false);
      return MoveTo(caret_ + 1, extend);
    case kTextKeyHome: return MoveTo(0, extend);
    case kTextKeyEnd: return MoveTo(length, extend);
    default: return false;
  }
}

bool TextEntryModel::SelectAll() {
  const int length = static_cast<int>(text_.size());
  const bool changed = anchor_ != 0 || caret_ != length;
  anchor_ = 0;
  caret_ = length;
  return changed;
}

bool TextEntryModel::PlaceCaret(int position, bool extend) { return MoveTo(position, extend); }

bool TextEntryModel::DeleteSelection() {
  if (!HasSelection()) return false;
  const int start = SelectionStart();
  text_.erase(static_cast<std::size_t>(start), static_cast<std::size_t>(SelectionEnd() - start));
  caret_ = anchor_ = start;
  return true;
}

bool TextEntryModel::MoveTo(int position, bool extend) {
  position = std::clamp(position, 0, static_cast<int>(text_.size()));
  const int anchor = extend ? anchor_ : position;
  if (position == caret_ && anchor == anchor_) return false;
  caret_ = position;
  anchor_ = anchor;
  return true;
}
