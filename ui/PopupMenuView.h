// A popup menu drawn by the editor itself, for windows whose system has no
// menus of its own: one open list's layout, hit test and drawing
// (PopupMenuView), and the chain of open submenus with the keyboard and
// pointer rules that move through them (PopupMenuStack).
#pragma once

#include <vector>

#include "graphics/RasterFont.h"
#include "plugin/PanelSizes.h"
#include "ui/MenuList.h"

class PopupMenuView {
 public:
  // Every length of the menu is drawn at `zoom` percent; `font` is expected
  // at that size already.
  PopupMenuView(const MenuList& list, graphics::RasterCachedFont* font, int zoom = kDefaultZoom);

  const MenuList& List() const { return *list_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Menu pixels of the entry's row, right and bottom exclusive.
  graphics::Rect EntryRect(int entry) const;
  // The entry under a point in menu pixels, separators included; -1 outside.
  int EntryAt(int x, int y) const;
  // Whether the highlight may rest on the entry: separators, greyed and
  // disabled entries are passed over.
  bool CanHighlight(int entry) const;

  int Highlight() const { return highlight_; }
  bool SetHighlight(int entry);
  // The next entry in `step` direction that can be highlighted, wrapping
  // around; stays when there is none.
  bool MoveHighlight(int step);

  // Draws the whole menu with its top-left corner at the bitmap's.
  void Draw(graphics::RasterBitmap& bitmap) const;

  // Where the menu lies on the screen.
  int left = 0;
  int top = 0;

 private:
  int Scaled(int pixels) const;

  const MenuList* list_;
  graphics::RasterCachedFont* font_;
  int zoom_;
  std::vector<int> rowTops_;  // one per entry, and the bottom of the last
  int width_ = 0;
  int height_ = 0;
  int highlight_ = -1;
};

enum MenuKey { kMenuKeyUp, kMenuKeyDown, kMenuKeyLeft, kMenuKeyRight, kMenuKeyReturn, kMenuKeyEscape };
enum MenuOutcome { kMenuOpen = 0, kMenuChosen = 1, kMenuDismissed = 2 };

class PopupMenuStack {
 public:
  // The root menu opens with its top-left corner at the screen point, moved
  // left and up as far as it takes to stay on a screen of the given size.
  // Each menu is drawn at `zoom` percent.
  PopupMenuStack(const MenuList& root, graphics::RasterCachedFont* font, int x, int y, int screenWidth,
                 int screenHeight, int zoom = kDefaultZoom);

  int Depth() const { return static_cast<int>(levels_.size()); }
  // Valid until the next call that opens or closes a menu.
  const PopupMenuView& Level(int depth) const { return levels_[static_cast<std::size_t>(depth)]; }
  // The innermost open menu containing the screen point, or -1.
  int LevelAt(int x, int y) const;

  // Each returns true when anything shown changed. The keys act on the
  // innermost menu: Up and Down move its highlight, Right and Return open
  // a highlighted submenu, Left closes the submenu, Return chooses, Escape
  // closes the innermost menu (the root one: nothing is chosen).
  bool Key(int key);
  // The pointer over `entry` of menu `depth` (-1 for none) highlights it,
  // closes deeper menus and opens the entry's submenu.
  bool PointerOver(int depth, int entry);
  // A click on `entry` of menu `depth`: chooses a choosable entry, opens a submenu.
  bool Click(int depth, int entry);
  void Dismiss() { outcome_ = kMenuDismissed; }

  int Outcome() const { return outcome_; }
  // The chosen entry's command id (MenuCommandId), -1 unless chosen.
  int ChosenId() const { return chosenId_; }

 private:
  bool OpenSubmenu(bool highlightFirst);
  bool CloseAbove(int depth);
  void Place(PopupMenuView& view, const PopupMenuView* parent, int x, int y) const;

  const MenuList* root_;
  graphics::RasterCachedFont* font_;
  int zoom_;
  int screenWidth_;
  int screenHeight_;
  std::vector<PopupMenuView> levels_;
  int outcome_ = kMenuOpen;
  int chosenId_ = -1;
};
