// The commands of the editor's options menu: their numbers and texts, the
// per-instance program clipboard and the small rules on names and paths the
// program and bank files use. Synth carries the commands out
// (ProgramCommands.cpp).
#pragma once

#include <string>

#include "plugin/StateBuffer.h"

namespace programcommands {

// The options menu's commands, numbered by their place in the menu. The
// entries of the two submenus report their place in the submenu, which the
// menu turns into these numbers by adding the submenu's first number.
enum OptionCommand {
  kCopyProgram = 0,
  kPasteProgram = 1,
  kInitProgram = 2,
  kLoadProgram = 4,
  kSaveProgram = 5,
  kLoadBank = 6,
  kSaveBank = 7,
  kDefaultFolder = 9,
  kMidiSettingsMenu = 10,
  kReloadConfiguration = 11,
  kSaveConfiguration = 12,
  kSelectStartupBank = 13,
  kLoadStartupBank = 14,
  kUnselectStartupBank = 15,
  kOnlineMenu = 17,
  kMidiThru = 18,
  kIgnoreProgramChange = 19,
  kCheckForUpdate = 20,
  kVisitWebSite = 21,
};
constexpr int kOptionMenuEntries = 18;  // 0–17: the top list
constexpr int kMidiSettingsFirst = kMidiThru;
constexpr int kOnlineFirst = kCheckForUpdate;

// The menu text of a command; null for separators, numbers outside 0–20 and
// the web site entry, whose text names the site the update check knows.
const char* OptionMenuText(int command);

// What Copy Program keeps: the values of every parameter and the program
// they came from. It belongs to one instance and starts empty.
struct ProgramClipboard {
  StateBuffer values;
  int program = -1;
};

// The folder a file lies in: everything before the last "\" or "/" that is
// not the first character; empty when there is none.
std::string FolderOf(const std::string& path);

// A program name made fit to suggest as a file name: its first 63
// characters, with those no file name may hold turned into "_".
std::string CleanProgramFileName(const std::string& name);

// The program `step` places from `current`, wrapping at either end of `count`.
int NeighbourProgram(int current, int step, int count);

}  // namespace programcommands
