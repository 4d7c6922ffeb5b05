#include "ui/MenuList.h"

#include <algorithm>
#include <cstdio>

MenuEntry* MenuList::AddEntry(const char* text, int position, MenuList* submenu, int flags) {
  auto entry = std::make_unique<MenuEntry>();
  entry->text = text ? text : "";
  entry->submenu.reset(submenu);
  entry->flags = flags;
  MenuEntry* added = entry.get();
  if (position == -1 || position >= Count()) {
    entries_.push_back(std::move(entry));
  } else {
    entries_.insert(entries_.begin() + std::max(position, 0), std::move(entry));
  }
  return added;
}

MenuEntry* MenuList::Entry(int index) {
  return index >= 0 && index < Count() ? entries_[static_cast<std::size_t>(index)].get() : nullptr;
}

const MenuEntry* MenuList::Entry(int index) const {
  return index >= 0 && index < Count() ? entries_[static_cast<std::size_t>(index)].get() : nullptr;
}

std::string MenuList::Label(int index) const {
  const MenuEntry* entry = Entry(index);
  if (!entry) return "";
  static const char* const kFormats[] = {nullptr, "%1d: %s", "%02d: %s", "%03d: %s"};
  if (numbering_ < kNumberOneDigit || numbering_ > kNumberThreeDigits) return entry->text;
  char label[1024];
  std::snprintf(label, sizeof label, kFormats[numbering_], index + 1, entry->text.c_str());
  return label;
}

namespace {

// Walks the tree in id order; `visit` gets each list and its first id and
// stops the walk by returning true.
template <typename List, typename Visit>
bool WalkIds(List* list, int* counter, Visit& visit) {
  const int first = *counter;
  *counter += list->Count();
  if (visit(list, first)) return true;
  for (int i = 0; i < list->Count(); ++i) {
    auto* entry = list->Entry(i);
    if (entry->submenu && WalkIds(static_cast<List*>(entry->submenu.get()), counter, visit)) return true;
  }
  return false;
}

}  // namespace

MenuList* FindMenuCommand(MenuList* root, int id, int* index) {
  if (!root || id < 0) return nullptr;
  MenuList* owner = nullptr;
  int counter = 0;
  auto visit = [&](MenuList* list, int first) {
    if (id < first || id >= first + list->Count()) return false;
    owner = list;
    if (index) *index = id - first;
    return true;
  };
  WalkIds(root, &counter, visit);
  return owner;
}

int MenuCommandId(const MenuList* root, const MenuList* list, int entry) {
  if (!root || !list || entry < 0 || entry >= list->Count()) return -1;
  int found = -1, counter = 0;
  auto visit = [&](const MenuList* each, int first) {
    if (each != list) return false;
    found = first + entry;
    return true;
  };
  WalkIds(root, &counter, visit);
  return found;
}
