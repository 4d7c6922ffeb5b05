#include "instrument/panel/PanelMenus.h"

#include <cstdio>
#include <string>

#include "instrument/ProgramCommands.h"
#include "instrument/UpdateCheck.h"
#include "plugin/EditorDelegate.h"
#include "plugin/EffectParameter.h"
#include "ui/Editor.h"

namespace {

// What the program display and the program menu show of a name.
constexpr std::size_t kShownNameLength = 32;
constexpr int kProgramsPerSubmenu = 16;
// The rename box keeps the text the host could take as a program name.
constexpr int kRenameLength = 253;

// The panel sizes' submenu, the entry after the commands.
constexpr int kPanelSizeEntry = programcommands::kOptionMenuEntries;
constexpr const char* kPanelSizeText = "Panel Size";

// The tempo's text sits this far below the top of its control.
constexpr int kTempoTextDrop = 4;

const TextStyle kProgramStyle("Arial", 15, ArgbColour{160, 255, 255, 255});

}  // namespace

// -- the program display -------------------------------------------------------

ProgramDisplay::ProgramDisplay(EditorDelegate* delegate, const Rect& numberRect, const Rect& nameRect)
    : Control(delegate, Union(numberRect, nameRect)), numberRect_(numberRect), nameRect_(nameRect) {
  SetTextEntryLimit(kRenameLength);
  SetTextStyle(kProgramStyle);
}

bool ProgramDisplay::NeedsDrawing() const {
  return Control::NeedsDrawing() || Delegate()->ProgramChanges() != shownPresetChanges_;
}

bool ProgramDisplay::Render(Editor& graphics) {
  // The host renames and switches programs on its own threads: the count
  // is read first, so a change after it shows at the next tick.
  shownPresetChanges_ = Delegate()->ProgramChanges();
  const int index = Delegate()->CurrentProgram();
  nameText_ = Delegate()->ProgramName(index).substr(0, kShownNameLength);
  char number[kShownNameLength + 1];
  std::snprintf(number, sizeof number, "%02d", index);
  numberText_ = number;
  if (numberText_.empty()) return true;
  if (!graphics.DrawText(Style(), numberText_.c_str(), numberRect_)) return false;
  graphics.DrawText(Style(), nameText_.c_str(), nameRect_);
  return true;
}

void ProgramDisplay::HandlePress(int x, int y, const PointerMods& /*mods*/) {
  Editor* graphics = Graphics();
  if (!graphics) return;
  if (nameRect_.Contains(x, y)) {
    const std::string name = Delegate()->ProgramName(Delegate()->CurrentProgram());
    graphics->OpenTextEntry(this, Style(), nameRect_, name.c_str(), nullptr);
  } else {
    RunProgramMenu();
  }
  graphics->MarkAllChanged();
}

void ProgramDisplay::RunProgramMenu() {
  MenuList menu(kNumberNone);
  MenuList* submenus[4] = {};
  {
    const int current = Delegate()->CurrentProgram();
    MenuList* submenu = nullptr;
    for (int i = 0; i < Delegate()->ProgramCount(); ++i) {
      if (i % kProgramsPerSubmenu == 0 && i / kProgramsPerSubmenu < 4) {
        char range[32];
        std::snprintf(range, sizeof range, "%02d - %02d", i, i + kProgramsPerSubmenu - 1);
        submenu = submenus[i / kProgramsPerSubmenu] = new MenuList(kNumberNone);
        menu.AddEntry(range, -1, submenu);
      }
      char entry[kShownNameLength + 1];
      std::snprintf(entry, sizeof entry, "%02u: %s", static_cast<unsigned>(i), Delegate()->ProgramName(i).c_str());
      submenu->AddEntry(entry, -1, nullptr, i == current ? kMenuChecked : 0);
    }
  }
  MenuList* chosen = Graphics()->RunPopupMenu(&menu, Area());
  if (!chosen || chosen->ChosenIndex() < 0) return;
  int base = 0;
  for (int k = 1; k < 4; ++k)
    if (chosen == submenus[k]) base = k * kProgramsPerSubmenu;
  Delegate()->SelectProgram(base + chosen->ChosenIndex());
}

void ProgramDisplay::AcceptEnteredText(const char* text) {
  Delegate()->RenameProgram(std::string(text ? text : "").substr(0, kPresetNameLength - 1).c_str());
  MarkChanged(false);
}

// -- the options menu ----------------------------------------------------------

OptionsMenu::OptionsMenu(EditorDelegate* delegate, const Rect& area, int code) : Control(delegate, area, code) {
  FillMenu();
}

void OptionsMenu::FillMenu() {
  using namespace programcommands;
  auto* midi = new MenuList(kNumberNone);
  midi->AddEntry(OptionMenuText(kMidiThru));
  midi->AddEntry(OptionMenuText(kIgnoreProgramChange));
  auto* online = new MenuList(kNumberNone);
  online->AddEntry(OptionMenuText(kCheckForUpdate));
  online->AddEntry((std::string("Visit ") + update::MakerDomain()).c_str());
  for (int command = 0; command < kOptionMenuEntries; ++command) {
    const char* text = OptionMenuText(command);
    if (!text)
      menu_.AddSeparator();
    else if (command == kMidiSettingsMenu)
      menu_.AddEntry(text, -1, midi);
    else if (command == kOnlineMenu)
      menu_.AddEntry(text, -1, online);
    else
      menu_.AddEntry(text);
  }
  // After the commands, so theirs keep the numbers of their places.
  auto* sizes = new MenuList(kNumberNone);
  for (int step : kZoomSteps) sizes->AddEntry((std::to_string(step) + " %").c_str());
  menu_.AddEntry(kPanelSizeText, -1, sizes);
}

void OptionsMenu::UpdateMenu() {
  using namespace programcommands;
  auto setFlag = [](MenuEntry* entry, int flag, bool on) {
    entry->flags = on ? entry->flags | flag : entry->flags & ~flag;
  };
  for (int command : {kPasteProgram, kLoadStartupBank, kUnselectStartupBank})
    setFlag(menu_.Entry(command), kMenuGreyed, !Delegate()->CommandAvailable(command));
  MenuList* midi = menu_.Entry(kMidiSettingsMenu)->submenu.get();
  setFlag(midi->Entry(0), kMenuChecked, Delegate()->CommandChecked(kMidiThru));
  setFlag(midi->Entry(1), kMenuChecked, Delegate()->CommandChecked(kIgnoreProgramChange));
  MenuList* sizes = menu_.Entry(kPanelSizeEntry)->submenu.get();
  for (int i = 0; i < kZoomStepCount; ++i)
    setFlag(sizes->Entry(i), kMenuChecked, Graphics() && Graphics()->Zoom() == kZoomSteps[i]);
}

void OptionsMenu::HandlePress(int /*x*/, int /*y*/, const PointerMods& /*mods*/) {
  Editor* graphics = Graphics();
  if (!graphics) return;
  using namespace programcommands;
  UpdateMenu();
  if (MenuList* chosen = graphics->RunPopupMenu(&menu_, Area()); chosen && chosen->ChosenIndex() >= 0) {
    int command = chosen->ChosenIndex();
    if (chosen == menu_.Entry(kMidiSettingsMenu)->submenu.get()) command += kMidiSettingsFirst;
    if (chosen == menu_.Entry(kOnlineMenu)->submenu.get()) command += kOnlineFirst;
    if (chosen == menu_.Entry(kPanelSizeEntry)->submenu.get()) {
      // Carried out at the next tick: this control is among those made again.
      graphics->RequestZoom(kZoomSteps[chosen->ChosenIndex() % kZoomStepCount]);
    } else if (command == kVisitWebSite) {
      graphics->OpenWebPage(update::MakerWebPage(), "", nullptr, nullptr);
    } else if (command < kVisitWebSite) {
      Delegate()->RunCommand(command, *graphics);
    }
  }
  SetRedrawAgain();
  MarkChanged(true);
}

// -- the tempo display -----------------------------------------------------------

TempoMenu::TempoMenu(EditorDelegate* delegate, const Rect& area, int parameterIndex, const ArgbColour* colour)
    : Control(delegate, area, parameterIndex) {
  SetDoubleClickActsAsPress(true);
  SetTextStyle(TextStyle("Tahoma", 11, colour ? *colour : ArgbColour{255, 0, 0, 0}));
}

bool TempoMenu::Render(Editor& graphics) {
  const EffectParameter* parameter = Delegate()->ParameterInfo(ParameterIndex());
  if (!parameter) return true;
  // The control's own value is the editor's copy of the parameter's.
  char text[kNameLength];
  parameter->FormatValue(Value(), true, text, true);
  if (!text[0]) return true;
  const Rect& area = Area();
  return graphics.DrawText(Style(), text,
                           {area.left, area.top + Zoomed(kTempoTextDrop, graphics.Zoom()), area.right, area.bottom});
}

void TempoMenu::HandlePress(int /*x*/, int /*y*/, const PointerMods& /*mods*/) {
  Editor* graphics = Graphics();
  if (!graphics) return;
  // The editor's own value menu: every display text, the current one checked.
  graphics->PromptForParameter(this);
  graphics->MarkAllChanged();
}
