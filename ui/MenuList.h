// Popup menus as plain data: the windows turn them into native menus, the
// headless editor answers them from a script. Both number the entries the
// same way, which these functions fix.
#pragma once

#include <memory>
#include <string>
#include <vector>

class MenuList;

enum MenuEntryFlags { kMenuGreyed = 1, kMenuDisabled = 2, kMenuChecked = 4, kMenuSeparator = 8 };
enum MenuNumbering { kNumberNone = 0, kNumberOneDigit = 1, kNumberTwoDigits = 2, kNumberThreeDigits = 3 };

struct MenuEntry {
  std::string text;
  std::unique_ptr<MenuList> submenu;
  int flags = 0;

  bool IsChoosable() const { return !submenu && !(flags & (kMenuGreyed | kMenuDisabled | kMenuSeparator)); }
};

class MenuList {
 public:
  explicit MenuList(int numbering = kNumberNone) : numbering_(numbering) {}

  // position -1 appends; anything else inserts there (negative as 0, past
  // the end as the end). The list takes the submenu. Returns the entry.
  MenuEntry* AddEntry(const char* text, int position = -1, MenuList* submenu = nullptr, int flags = 0);
  MenuEntry* AddSeparator() { return AddEntry("", -1, nullptr, kMenuSeparator); }

  int Count() const { return static_cast<int>(entries_.size()); }
  MenuEntry* Entry(int index);
  const MenuEntry* Entry(int index) const;
  int Numbering() const { return numbering_; }
  int ChosenIndex() const { return chosenIndex_; }
  void SetChosenIndex(int index) { chosenIndex_ = index; }
  // The entry's text as shown: with its 1-based number when the list numbers them.
  std::string Label(int index) const;

 private:
  int numbering_;
  int chosenIndex_ = -1;
  std::vector<std::unique_ptr<MenuEntry>> entries_;
};

// Command ids of a menu tree: a list reserves one id per entry, starting
// where the counter stands, then its submenus continue the counter in entry
// order. Returns the list owning `id` and its entry index there, or null.
MenuList* FindMenuCommand(MenuList* root, int id, int* index);
// The id of `entry` of `list` within the tree of `root`, or -1.
int MenuCommandId(const MenuList* root, const MenuList* list, int entry);
