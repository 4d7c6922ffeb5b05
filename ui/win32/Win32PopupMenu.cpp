// Native popup menus from the editor's menu lists, numbered the way
// FindMenuCommand reads the numbers back.
#include "Win32Editor.h"

namespace {

// The list's entries take the ids from *nextId on; its submenus follow.
HMENU BuildMenu(MenuList* list, int* nextId) {
  HMENU menu = CreatePopupMenu();
  const int firstId = *nextId;
  *nextId += list->Count();
  for (int i = 0; i < list->Count(); ++i) {
    MenuEntry* entry = list->Entry(i);
    if (entry->flags & kMenuSeparator) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const std::string label = list->Label(i);
    if (entry->submenu) {
      HMENU submenu = BuildMenu(entry->submenu.get(), nextId);
      AppendMenuA(menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), label.c_str());
      continue;
    }
    UINT flags = MF_STRING;
    if (entry->flags & kMenuGreyed) flags |= MF_GRAYED;
    if (entry->flags & kMenuDisabled) flags |= MF_DISABLED;
    if (entry->flags & kMenuChecked) flags |= MF_CHECKED;
    AppendMenuA(menu, flags, static_cast<UINT_PTR>(firstId + i), label.c_str());
  }
  return menu;
}

}  // namespace

MenuList* Win32Editor::RunPopupMenu(MenuList* menu, const Rect& rect) {
  // The menu takes the pointer: no drag continues after it.
  ReleaseCapture();
  if (!menu || !window_) return nullptr;
  int nextId = 0;
  HMENU native = BuildMenu(menu, &nextId);
  POINT below{rect.left, rect.bottom};
  ClientToScreen(window_, &below);
  MenuList* chosen = nullptr;
  {
    ModalScope modal(this);
    TrackPopupMenu(native, TPM_LEFTALIGN | TPM_TOPALIGN, below.x, below.y, 0, window_, nullptr);
  }
  // A choice arrives as a command posted to the window.
  MSG command;
  if (PeekMessageA(&command, window_, WM_COMMAND, WM_COMMAND, PM_REMOVE) && HIWORD(command.wParam) == 0) {
    int index = -1;
    if (MenuList* owner = FindMenuCommand(menu, LOWORD(command.wParam), &index)) {
      owner->SetChosenIndex(index);
      chosen = owner;
    }
  }
  DestroyMenu(native);
  const RECT panel{0, 0, Width(), Height()};
  InvalidateRect(window_, &panel, FALSE);
  return chosen;
}
