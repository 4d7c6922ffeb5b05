// The file prompt: the desktop's own file chooser when one is installed,
// else a path typed into a small dialog of ours.
#include <string>
#include <vector>

#include "X11Editor.h"
#include "X11Process.h"
#include "plugin/Text.h"

namespace {

// "fxp fxb" -> "*.fxp *.fxb".
std::string Patterns(const char* extensions) {
  std::string patterns, word;
  const std::string list = extensions ? extensions : "";
  for (std::size_t i = 0; i <= list.size(); ++i) {
    if (i < list.size() && list[i] != ' ') {
      word += list[i];
    } else if (!word.empty()) {
      patterns += (patterns.empty() ? "*." : " *.") + word;
      word.clear();
    }
  }
  return patterns;
}

// The chooser's answer: one path on one line.
std::string FirstLine(const std::string& output) { return output.substr(0, output.find('\n')); }

}  // namespace

void X11Editor::PromptForFile(char* path, int mode, char* folder, const char* extensions) {
  if (!path || !folder) return;
  const std::string suggested = path;
  path[0] = '\0';
  if (!window_ || Stopping()) return;
  if (!folder[0]) GetDesktopFolder(folder);
  std::string start = folder;
  if (!start.empty() && start.back() != '/') start += '/';
  const std::string initial = !suggested.empty() && suggested[0] == '/' ? suggested : start + suggested;
  const std::string patterns = Patterns(extensions);
  const bool save = mode == kFileSave;

  ModalScope modal(modalDepth_);
  const int connection = ConnectionNumber(display_);
  auto keepPainted = [this] {
    while (display_ && XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      HandleEvent(event);
    }
  };
  std::string chosen;
  if (x11::FoundOnPath("zenity")) {
    std::vector<std::string> argv = {"zenity", "--file-selection", "--filename=" + initial};
    if (save) {
      argv.push_back("--save");
      argv.push_back("--confirm-overwrite");
    }
    if (!patterns.empty()) argv.push_back("--file-filter=" + patterns);
    const x11::ProgramResult result = x11::RunProgram(argv, connection, keepPainted);
    if (result.exitCode == 0) chosen = FirstLine(result.output);
  } else if (x11::FoundOnPath("kdialog")) {
    std::vector<std::string> argv = {"kdialog", save ? "--getsavefilename" : "--getopenfilename", initial};
    if (!patterns.empty()) argv.push_back(patterns);
    const x11::ProgramResult result = x11::RunProgram(argv, connection, keepPainted);
    if (result.exitCode == 0) chosen = FirstLine(result.output);
  } else {
    // Our own dialog refuses a missing file and asks before replacing one.
    std::string typed = initial;
    if (x11ui::RunPathDialog(Modal(), &typed, save, extensions)) {
      chosen = !typed.empty() && typed[0] != '/' ? start + typed : typed;
    }
  }
  if (chosen.empty() || chosen[0] != '/') return;
  CopyText(path, chosen.c_str(), kPathLength);
  CopyText(folder, chosen.substr(0, chosen.rfind('/') + 1).c_str(), kPathLength);
}
