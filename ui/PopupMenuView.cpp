#include "ui/PopupMenuView.h"

#include <algorithm>

#include "graphics/RasterBlit.h"
#include "ui/PanelZoom.h"

namespace {

// Lengths at 100 %; a menu draws them at its zoom.
constexpr int kBorder = 1;
constexpr int kGutter = 20;  // room for the check mark on the left, the submenu arrow on the right
constexpr int kSeparatorHeight = 7;
constexpr int kSeparatorInset = 4;
constexpr int kMinimumRow = 18;
constexpr int kRowPadding = 6;  // above and below the text together
constexpr int kMinimumWidth = 80;
constexpr int kCheckLeft = 5;
constexpr int kCheckLift = 2;  // the tick sits this much above the row's middle
constexpr int kArrowLeft = 8;  // from the start of the right gutter
// Submenus overlap their parent by this much, so the eye sees them joined.
constexpr int kSubmenuOverlap = 3;
// The line height taken when there is no font to measure.
constexpr int kLineHeightWithoutFont = 12;

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

// A piece of a glyph drawn at 100 % relative to (x, y), at `zoom`: each edge
// is rounded on its own, so pieces that touch stay joined.
void FillPiece(graphics::RasterBitmap& bitmap, int x, int y, const graphics::Rect& piece, int zoom,
               std::uint32_t colour) {
  const graphics::Rect r = Zoomed(piece, zoom);
  Fill(bitmap, x + r.left, y + r.top, r.Width(), r.Height(), colour);
}

// A tick two pixels thick: down three steps, then up six.
void DrawCheck(graphics::RasterBitmap& bitmap, int x, int middle, int zoom, std::uint32_t colour) {
  for (int i = 0; i < 9; ++i) {
    const int y = i < 3 ? i - 1 : 5 - i;
    FillPiece(bitmap, x, middle, {i, y, i + 1, y + 3}, zoom, colour);
  }
}

void DrawArrow(graphics::RasterBitmap& bitmap, int x, int middle, int zoom, std::uint32_t colour) {
  for (int i = 0; i < 4; ++i) FillPiece(bitmap, x, middle, {i, i - 3, i + 1, 4 - i}, zoom, colour);
}

}  // namespace

PopupMenuView::PopupMenuView(const MenuList& list, graphics::RasterCachedFont* font, int zoom)
    : list_(&list), font_(font), zoom_(zoom) {
  const int lineHeight = font_ ? font_->LineHeight() : Scaled(kLineHeightWithoutFont);
  const int row = std::max(Scaled(kMinimumRow), lineHeight + Scaled(kRowPadding));
  int widest = 0, y = Scaled(kBorder);
  for (int i = 0; i < list.Count(); ++i) {
    rowTops_.push_back(y);
    if (list.Entry(i)->flags & kMenuSeparator) {
      y += Scaled(kSeparatorHeight);
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
  width_ = std::max(Scaled(kMinimumWidth), 2 * Scaled(kBorder) + 2 * Scaled(kGutter) + widest);
  height_ = y + Scaled(kBorder);
}

int PopupMenuView::Scaled(int pixels) const { return Zoomed(pixels, zoom_); }

graphics::Rect PopupMenuView::EntryRect(int entry) const {
  if (entry < 0 || entry >= list_->Count()) return {};
  const std::size_t i = static_cast<std::size_t>(entry);
  return {Scaled(kBorder), rowTops_[i], width_ - Scaled(kBorder), rowTops_[i + 1]};
}

int PopupMenuView::EntryAt(int x, int y) const {
  if (x < Scaled(kBorder) || x >= width_ - Scaled(kBorder)) return -1;
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
  const int border = Scaled(kBorder);
  Fill(bitmap, 0, 0, width_, height_, kFrame);
  Fill(bitmap, border, border, width_ - 2 * border, height_ - 2 * border, kBackground);
  if (font_) font_->SetBackgroundMode(graphics::RasterCachedFont::kTransparent);
  for (int i = 0; i < list_->Count(); ++i) {
    const MenuEntry& entry = *list_->Entry(i);
    const graphics::Rect row = EntryRect(i);
    const int middle = (row.top + row.bottom) / 2;
    if (entry.flags & kMenuSeparator) {
      const int inset = Scaled(kSeparatorInset);
      Fill(bitmap, row.left + inset, middle, row.Width() - 2 * inset, Scaled(1), kSeparator);
      continue;
    }
    std::uint32_t colour = kText;
    if (i == highlight_) {
      Fill(bitmap, row.left, row.top, row.Width(), row.Height(), kHighlight);
      colour = kHighlightedText;
    } else if (entry.flags & kMenuGreyed) {
      colour = kGreyedText;
    }
    if (entry.flags & kMenuChecked)
      DrawCheck(bitmap, row.left + Scaled(kCheckLeft), middle - Scaled(kCheckLift), zoom_, colour);
    if (entry.submenu) DrawArrow(bitmap, row.right - Scaled(kGutter) + Scaled(kArrowLeft), middle, zoom_, colour);
    if (!font_) continue;
    const std::string label = list_->Label(i);
    const std::uint32_t previous = font_->SetTextColour(colour);
    font_->DrawTextAt(&bitmap, row.left + Scaled(kGutter), middle - font_->LineHeight() / 2, label.c_str(), -1);
    font_->SetTextColour(previous);
  }
}

// -- the chain of open menus ---------------------------------------------------

PopupMenuStack::PopupMenuStack(const MenuList& root, graphics::RasterCachedFont* font, int x, int y, int screenWidth,
                               int screenHeight, int zoom)
    : root_(&root), font_(font), zoom_(zoom), screenWidth_(screenWidth), screenHeight_(screenHeight) {
  levels_.emplace_back(root, font, zoom);
  Place(levels_.back(), nullptr, x, y);
}

void PopupMenuStack::Place(PopupMenuView& view, const PopupMenuView* parent, int x, int y) const {
  if (x + view.Width() > screenWidth_) {
    // A submenu that would leave the screen on the right opens on its parent's left instead.
    const int onTheLeft = parent ? parent->left - view.Width() + Zoomed(kSubmenuOverlap, zoom_) : -1;
    x = onTheLeft >= 0 ? onTheLeft : screenWidth_ - view.Width();
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
  PopupMenuView view(*entry->submenu, font_, zoom_);
  Place(view, &parent, parent.left + parent.Width() - Zoomed(kSubmenuOverlap, zoom_),
        parent.top + row.top - Zoomed(kBorder, zoom_));
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
