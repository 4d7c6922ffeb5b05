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
class ProgramDisplay : public Control {
 public:
  ProgramDisplay(EditorDelegate* delegate, const Rect& numberRect, const Rect& nameRect);
  void HandlePress(int x, int y, const PointerMods& mods) override;
  bool Render(Editor& graphics) override;
  void AcceptEnteredText(const char* text) override;
  // Also when the program or its name changed, whoever changed it.
  bool NeedsDrawing() const override;

  const std::string& NumberText() const { return numberText_; }
  const std::string& NameText() const { return nameText_; }

 private:
  void RunProgramMenu();

  std::string numberText_;
  std::string nameText_;
  Rect numberRect_;
  Rect nameRect_;
  unsigned shownPresetChanges_ = ~0u;
};

// The options menu: program, bank, configuration and online commands. Draws
// nothing: the panel art shows its button.
class OptionsMenu : public Control {
 public:
  OptionsMenu(EditorDelegate* delegate, const Rect& area, int code);
  void HandlePress(int x, int y, const PointerMods& mods) override;
  bool Render(Editor& /*graphics*/) override { return true; }
  MenuList& Menu() { return menu_; }

 private:
  void FillMenu();
  void UpdateMenu();

  MenuList menu_;
};

// The arpeggiator tempo: the value's display text, and a menu of all of them.
class TempoMenu : public Control {
 public:
  TempoMenu(EditorDelegate* delegate, const Rect& area, int parameterIndex, const ArgbColour* colour);
  void HandlePress(int x, int y, const PointerMods& mods) override;
  bool Render(Editor& graphics) override;
};
