// The panel's menu controls: the program display with its program menu and
// rename box, the options menu, and the arpeggiator tempo display.
#pragma once

#include <memory>
#include <string>

#include "ui/Control.h"
#include "ui/MenuList.h"

class EditorDelegate;

// The current program's number and name; a press on the name renames the
// program, a press anywhere else opens the program menu.
class IHVPresetMenu : public IControl {
 public:
  IHVPresetMenu(EditorDelegate* delegate, const IPanelRect& numberRect, const IPanelRect& nameRect);
  void HandlePress(int x, int y, const IPointerMods& mods) override;
  bool Render(IGraphics& graphics) override;
  void AcceptEnteredText(const char* text) override;
  // Also when the program or its name changed, whoever changed it.
  bool NeedsDrawing() const override;

  const std::string& NumberText() const { return numberText_; }
  const std::string& NameText() const { return nameText_; }

 private:
  void RunProgramMenu();

  std::string numberText_;
  std::string nameText_;
  IPanelRect numberRect_;
  IPanelRect nameRect_;
  unsigned shownPresetChanges_ = ~0u;
};

// The options menu: program, bank, configuration and online commands. Draws
// nothing: the panel art shows its button.
class IHVOptionMenu : public IControl {
 public:
  IHVOptionMenu(EditorDelegate* delegate, const IPanelRect& area, int code);
  void HandlePress(int x, int y, const IPointerMods& mods) override;
  bool Render(IGraphics& graphics) override { return true; }
  IMenuList& Menu() { return menu_; }

 private:
  void FillMenu();
  void UpdateMenu();

  IMenuList menu_;
};

// The arpeggiator tempo: the value's display text, and a menu of all of them.
class IHVPopUpMenuControl : public IControl {
 public:
  IHVPopUpMenuControl(EditorDelegate* delegate, const IPanelRect& area, int parameterIndex, const IArgbColour* colour);
  void HandlePress(int x, int y, const IPointerMods& mods) override;
  bool Render(IGraphics& graphics) override;

 private:
  IPanelRect textRect_;
};
