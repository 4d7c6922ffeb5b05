#include "instrument/panel/PanelMenus.h"

#include <cstdio>

#include "plugin/EffectParameter.h"
#include "ui/Graphics.h"
#include "instrument/ProgramCommands.h"
#include "plugin/EditorDelegate.h"
#include "instrument/UpdateCheck.h"

namespace {

// What the program display and the program menu show of a name.
constexpr std::size_t kShownNameLength = 32;
constexpr int kProgramsPerSubmenu = 16;
// The rename box keeps the text the host could take as a program name.
constexpr int kRenameLength = 253;

const ITextStyle kProgramStyle("Arial", 15, IArgbColour{160, 255, 255, 255});

}  // namespace

// -- the program display -------------------------------------------------------

IHVPresetMenu::IHVPresetMenu(EditorDelegate* delegate, const IPanelRect& numberRect, const IPanelRect& nameRect)
    : IControl(delegate, Union(numberRect, nameRect)), numberRect_(numberRect), nameRect_(nameRect) {
  SetTextEntryLimit(kRenameLength);
  SetTextStyle(kProgramStyle);
}

bool IHVPresetMenu::NeedsDrawing() const {
  return IControl::NeedsDrawing() || Delegate()->ProgramChanges() != shownPresetChanges_;
}

bool IHVPresetMenu::Render(IGraphics& graphics) {
  // The host renames and switches programs on its own threads: the count
  // is read first, so a change after it shows at the next tick.
  shownPresetChanges_ = Delegate()->ProgramChanges();
  const int index = Delegate()->CurrentProgram();
  nameText_ = Delegate()->ProgramName(index).substr(0, kShownNameLength);
  char number[kShownNameLength + 1];
  std::snprintf(number, sizeof number, "%02d", index);
  numberText_ = number;
  if (numberText_.empty()) return true;
  if (!graphics.DrawText(TextStyle(), numberText_.c_str(), numberRect_)) return false;
  graphics.DrawText(TextStyle(), nameText_.c_str(), nameRect_);
  return true;
}

void IHVPresetMenu::HandlePress(int x, int y, const IPointerMods& mods) {
  IGraphics* graphics = Graphics();
  if (!graphics) return;
  if (nameRect_.Contains(x, y)) {
    const std::string name = Delegate()->ProgramName(Delegate()->CurrentProgram());
    graphics->OpenTextEntry(this, TextStyle(), nameRect_, name.c_str(), nullptr);
  } else {
    RunProgramMenu();
  }
  graphics->MarkAllChanged();
}

void IHVPresetMenu::RunProgramMenu() {
  IMenuList menu(kNumberNone);
  IMenuList* submenus[4] = {};
  {
    const int current = Delegate()->CurrentProgram();
    IMenuList* submenu = nullptr;
    for (int i = 0; i < Delegate()->ProgramCount(); ++i) {
      if (i % kProgramsPerSubmenu == 0 && i / kProgramsPerSubmenu < 4) {
        char range[16];
        std::snprintf(range, sizeof range, "%02d - %02d", i, i + kProgramsPerSubmenu - 1);
        submenu = submenus[i / kProgramsPerSubmenu] = new IMenuList(kNumberNone);
        menu.AddEntry(range, -1, submenu);
      }
      char entry[kShownNameLength + 1];
      std::snprintf(entry, sizeof entry, "%02u: %s", static_cast<unsigned>(i), Delegate()->ProgramName(i).c_str());
      submenu->AddEntry(entry, -1, nullptr, i == current ? kMenuChecked : 0);
    }
  }
  IMenuList* chosen = Graphics()->RunPopupMenu(&menu, Area());
  if (!chosen || chosen->ChosenIndex() < 0) return;
  int base = 0;
  for (int k = 1; k < 4; ++k)
    if (chosen == submenus[k]) base = k * kProgramsPerSubmenu;
  Delegate()->SelectProgram(base + chosen->ChosenIndex());
}

void IHVPresetMenu::AcceptEnteredText(const char* text) {
  Delegate()->RenameProgram(std::string(text ? text : "").substr(0, kPresetNameLength - 1).c_str());
  MarkChanged(false);
}

// -- the options menu ----------------------------------------------------------

IHVOptionMenu::IHVOptionMenu(EditorDelegate* delegate, const IPanelRect& area, int code)
    : IControl(delegate, area, code) {
  FillMenu();
}

void IHVOptionMenu::FillMenu() {
  using namespace programcommands;
  auto* midi = new IMenuList(kNumberNone);
  midi->AddEntry(OptionMenuText(kMidiThru));
  midi->AddEntry(OptionMenuText(kIgnoreProgramChange));
  auto* online = new IMenuList(kNumberNone);
  online->AddEntry(OptionMenuText(kCheckForUpdate));
  online->AddEntry((std::string("Visit ") + update::MakerDomain()).c_str());
  for (int command = 0; command < kOptionMenuEntries; ++command) {
    const char* text = OptionMenuText(command);
    if (!text) menu_.AddSeparator();
    else if (command == kMidiSettingsMenu) menu_.AddEntry(text, -1, midi);
    else if (command == kOnlineMenu) menu_.AddEntry(text, -1, online);
    else menu_.AddEntry(text);
  }
}

void IHVOptionMenu::UpdateMenu() {
  using namespace programcommands;
  auto setFlag = [](IMenuEntry* entry, int flag, bool on) {
    entry->flags = on ? entry->flags | flag : entry->flags & ~flag;
  };
  for (int command : {kPasteProgram, kLoadStartupBank, kUnselectStartupBank})
    setFlag(menu_.Entry(command), kMenuGreyed, !Delegate()->CommandAvailable(command));
  IMenuList* midi = menu_.Entry(kMidiSettingsMenu)->submenu.get();
  setFlag(midi->Entry(0), kMenuChecked, Delegate()->CommandChecked(kMidiThru));
  setFlag(midi->Entry(1), kMenuChecked, Delegate()->CommandChecked(kIgnoreProgramChange));
}

void IHVOptionMenu::HandlePress(int x, int y, const IPointerMods& mods) {
  IGraphics* graphics = Graphics();
  if (!graphics) return;
  using namespace programcommands;
  UpdateMenu();
  if (IMenuList* chosen = graphics->RunPopupMenu(&menu_, Area()); chosen && chosen->ChosenIndex() >= 0) {
    int command = chosen->ChosenIndex();
    if (chosen == menu_.Entry(kMidiSettingsMenu)->submenu.get()) command += kMidiSettingsFirst;
    if (chosen == menu_.Entry(kOnlineMenu)->submenu.get()) command += kOnlineFirst;
    if (command == kVisitWebSite) {
      graphics->OpenWebPage(update::MakerWebPage(), "", nullptr, nullptr);
    } else if (command < kVisitWebSite) {
      Delegate()->RunCommand(command, *graphics);
    }
  }
  SetRedrawAgain();
  MarkChanged(true);
}

// -- the tempo display -----------------------------------------------------------

IHVPopUpMenuControl::IHVPopUpMenuControl(EditorDelegate* delegate, const IPanelRect& area, int parameterIndex,
                                         const IArgbColour* colour)
    : IControl(delegate, area, parameterIndex), textRect_{area.left, area.top + 4, area.right, area.bottom} {
  SetDoubleClickActsAsPress(true);
  SetTextStyle(ITextStyle("Tahoma", 11, colour ? *colour : IArgbColour{255, 0, 0, 0}));
}

bool IHVPopUpMenuControl::Render(IGraphics& graphics) {
  const IEffectParameter* parameter = Delegate()->ParameterInfo(ParameterIndex());
  if (!parameter) return true;
  // The control's own value is the editor's copy of the parameter's.
  char text[kNameLength];
  parameter->FormatValue(Value(), true, text, true);
  if (!text[0]) return true;
  return graphics.DrawText(TextStyle(), text, textRect_);
}

void IHVPopUpMenuControl::HandlePress(int x, int y, const IPointerMods& mods) {
  IGraphics* graphics = Graphics();
  if (!graphics) return;
  // The editor's own value menu: every display text, the current one checked.
  graphics->PromptForParameter(this);
  graphics->MarkAllChanged();
}
