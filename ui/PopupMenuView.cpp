#include "ui/PopupMenuView.h"

#include <algorithm>

#include "graphics/RasterBlit.h"

namespace {

constexpr int kBorder = 1;
constexpr int kGutter = 20;  // room for the check mark on the left, the submenu arrow on the right
constexpr int kSeparatorHeight = 7;
constexpr int kMinimumRow = 18;
constexpr int kMinimumWidth = 80;
// Submenus overlap their parent by this much, so the eye sees them joined.
constexpr int kSubmenuOverlap = 3;

constexpr std::uint32_t kBackground = 0xFFF2F2F2;
constexpr std::uint32_t kFrame = 0xFF7A7A7A;
constexpr std::uint32_t kHighlight = 0xFF3366CC;
constexpr std::uint32_t kText = 0xFF000000;
constexpr std::uint32_t kHighlightedText = 0xFFFFFFFF;
constexpr std::uint32_t kGreyedText = 0xFF9A9A9A;
constexpr std::uint32_t kSeparator = 0xFFC4C4C4;

void Fill(graphics::RasterBitmap& bitmap, int x, int y, int width, int height, std::uint32_t colour) {
  graphics::PaintRect(&bitmap, x, y, width, height, colour, 1.0f, graphics::kBlitCopy);
}

// A tick two pixels thick: down three steps, then up six.
void DrawCheck(graphics::RasterBitmap& bitmap, int x, int middle, std::uint32_t colour) {
  for (int i = 0; i < 9; ++i) {
    const int y = i < 3 ? middle + i - 1 : middle + 1 - (i - 3) + 1;
    Fill(bitmap, x + i, y, 1, 3, colour);
  }
}

void DrawArrow(graphics::RasterBitmap& bitmap, int x, int middle, std::uint32_t colour) {
  for (int i = 0; i < 4; ++i) Fill(bitmap, x + i, middle - 3 + i, 1, 7 - 2 * i, colour);
}

}  // namespace

PopupMenuView::PopupMenuView(const MenuList& list, graphics::RasterCachedFont* font) : list_(&list), font_(font) {
  const int lineHeight = font_ ? font_->LineHeight() : 12;
  const int row = std::max(kMinimumRow, lineHeight + 6);
  int widest = 0, y = kBorder;
  for (int i = 0; i < list.Count(); ++i) {
    rowTops_.push_back(y);
    if (list.Entry(i)->flags & kMenuSeparator) {
      y += kSeparatorHeight;
      continue;
    }
    y += row;
    if (font_) {
      const std::string label = list.Label(i);
      graphics::Rect box{0, 0, 0, 0};
      font_->DrawText(nullptr, label.c_str(), -1, &box, graphics::kTextMeasureOnly | graphics::kTextSingleLine);
      widest = std::max(widest, box.Width());
    }
  }
  rowTops_.push_back(y);
  width_ = std::max(kMinimumWidth, 2 * kBorder + 2 * kGutter + widest);
  height_ = y + kBorder;
}

graphics::Rect PopupMenuView::EntryRect(int entry) const {
  if (entry < 0 || entry >= list_->Count()) return {};
  const std::size_t i = static_cast<std::size_t>(entry);
  return {kBorder, rowTops_[i], width_ - kBorder, rowTops_[i + 1]};
}

int PopupMenuView::EntryAt(int x, int y) const {
  if (x < kBorder || x >= width_ - kBorder) return -1;
  for (int i = 0; i < list_->Count(); ++i) {
    if (y >= rowTops_[static_cast<std::size_t>(i)] && y < rowTops_[static_cast<std::size_t>(i) + 1]) return i;
  }
  return -1;
}

bool PopupMenuView::CanHighlight(int entry) const {
  const MenuEntry* each = list_->Entry(entry);
  return each && !(each->flags & (kMenuSeparator | kMenuGreyed | kMenuDisabled));
}

bool PopupMenuView::SetHighlight(int entry) {
  if (!CanHighlight(entry)) entry = -1;
  if (entry == highlight_) return false;
  highlight_ = entry;
  return true;
}

bool PopupMenuView::MoveHighlight(int step) {
  const int count = list_->Count();
  if (count == 0) return false;
  int entry = highlight_ >= 0 ? highlight_ : (step > 0 ? -1 : count);
  for (int tries = 0; tries < count; ++tries) {
    entry = ((entry + step) % count + count) % count;
    if (CanHighlight(entry)) return SetHighlight(entry);
  }
  return false;
}

void PopupMenuView::Draw(graphics::RasterBitmap& bitmap) const {
  Fill(bitmap, 0, 0, width_, height_, kFrame);
  Fill(bitmap, kBorder, kBorder, width_ - 2 * kBorder, height_ - 2 * kBorder, kBackground);
  if (font_) font_->SetBackgroundMode(graphics::RasterCachedFont::kTransparent);
  for (int i = 0; i < list_->Count(); ++i) {
    const MenuEntry& entry = *list_->Entry(i);
    const graphics::Rect row = EntryRect(i);
    const int middle = (row.top + row.bottom) / 2;
    if (entry.flags & kMenuSeparator) {
      Fill(bitmap, row.left + 4, middle, row.Width() - 8, 1, kSeparator);
      continue;
    }
    std::uint32_t colour = kText;
    if (i == highlight_) {
      Fill(bitmap, row.left, row.top, row.Width(), row.Height(), kHighlight);
      colour = kHighlightedText;
    } else if (entry.flags & kMenuGreyed) {
      colour = kGreyedText;
    }
    if (entry.flags & kMenuChecked) DrawCheck(bitmap, row.left + 5, middle - 2, colour);
    if (entry.submenu) DrawArrow(bitmap, row.right - kGutter + 8, middle, colour);
    if (!font_) continue;
    const std::string label = list_->Label(i);
    const std::uint32_t previous = font_->SetTextColour(colour);
    font_->DrawTextAt(&bitmap, row.left + kGutter, middle - font_->LineHeight() / 2, label.c_str(), -1);
    font_->SetTextColour(previous);
  }
}

// -- the chain of open menus ---------------------------------------------------

PopupMenuStack::PopupMenuStack(const MenuList& root, graphics::RasterCachedFont* font, int x, int y, int screenWidth,
                               int screenHeight)
    : root_(&root), font_(font), screenWidth_(screenWidth), screenHeight_(screenHeight) {
  levels_.emplace_back(root, font);
  Place(levels_.back(), nullptr, x, y);
}

void PopupMenuStack::Place(PopupMenuView& view, const PopupMenuView* parent, int x, int y) const {
  if (x + view.Width() > screenWidth_) {
    // A submenu that would leave the screen on the right opens on its parent's left instead.
    x = parent && parent->left - view.Width() + kSubmenuOverlap >= 0 ? parent->left - view.Width() + kSubmenuOverlap
                                                                     : screenWidth_ - view.Width();
  }
  if (y + view.Height() > screenHeight_) y = screenHeight_ - view.Height();
  view.left = std::max(0, x);
  view.top = std::max(0, y);
}

int PopupMenuStack::LevelAt(int x, int y) const {
  for (int depth = Depth() - 1; depth >= 0; --depth) {
    const PopupMenuView& view = Level(depth);
    if (x >= view.left && x < view.left + view.Width() && y >= view.top && y < view.top + view.Height()) return depth;
  }
  return -1;
}

bool PopupMenuStack::CloseAbove(int depth) {
  if (Depth() <= depth + 1) return false;
  levels_.erase(levels_.begin() + depth + 1, levels_.end());
  return true;
}

bool PopupMenuStack::OpenSubmenu(bool highlightFirst) {
  const PopupMenuView& parent = levels_.back();
  const MenuEntry* entry = parent.List().Entry(parent.Highlight());
  if (!entry || !entry->submenu) return false;
  const graphics::Rect row = parent.EntryRect(parent.Highlight());
  PopupMenuView view(*entry->submenu, font_);
  Place(view, &parent, parent.left + parent.Width() - kSubmenuOverlap, parent.top + row.top - kBorder);
  if (highlightFirst) view.MoveHighlight(1);
  levels_.push_back(view);
  return true;
}

bool PopupMenuStack::Key(int key) {
  if (outcome_ != kMenuOpen) return false;
  PopupMenuView& innermost = levels_.back();
  switch (key) {
    case kMenuKeyUp: return innermost.MoveHighlight(-1);
    case kMenuKeyDown: return innermost.MoveHighlight(1);
    case kMenuKeyRight: return OpenSubmenu(true);
    case kMenuKeyLeft: return CloseAbove(Depth() - 2);
    case kMenuKeyReturn: return Click(Depth() - 1, innermost.Highlight());
    case kMenuKeyEscape:
      if (Depth() > 1) return CloseAbove(Depth() - 2);
      outcome_ = kMenuDismissed;
      return true;
    default: return false;
  }
}

bool PopupMenuStack::PointerOver(int depth, int entry) {
  if (outcome_ != kMenuOpen || depth < 0 || depth >= Depth()) return false;
  PopupMenuView& view = levels_[static_cast<std::size_t>(depth)];
  // Leaving an open submenu's entry for empty space keeps the submenu open.
  if (!view.CanHighlight(entry) && Depth() > depth + 1) return false;
  bool changed = view.Highlight() != entry && Depth() > depth + 1 ? CloseAbove(depth) : false;
  changed |= view.SetHighlight(entry);
  if (Depth() == depth + 1) changed |= OpenSubmenu(false);
  return changed;
}

bool PopupMenuStack::Click(int depth, int entry) {
  if (outcome_ != kMenuOpen || depth < 0 || depth >= Depth()) return false;
  const PopupMenuView& view = Level(depth);
  const MenuEntry* chosen = view.List().Entry(entry);
  if (!chosen) return false;
  if (chosen->submenu) {
    if (Depth() > depth + 1 && view.Highlight() == entry) {
      PopupMenuView& submenu = levels_[static_cast<std::size_t>(depth) + 1];
      return submenu.Highlight() < 0 && submenu.MoveHighlight(1);
    }
    CloseAbove(depth);
    levels_.back().SetHighlight(entry);
    return OpenSubmenu(true);
  }
  if (!chosen->IsChoosable()) return false;
  chosenId_ = MenuCommandId(root_, &view.List(), entry);
  outcome_ = kMenuChosen;
  return true;
}
