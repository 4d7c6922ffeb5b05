// The options menu's commands and program selection from the editor. They
// run on the editor's thread. Message boxes, file prompts and the disk wait
// for the user or the drive, so they run without the plug-in mutex; it is
// taken only around the changes to the programs and the settings, and the
// audio thread never waits for either.
#include "instrument/ProgramCommands.h"

#include <cstdio>
#include <iterator>
#include <string_view>

#include "instrument/Configuration.h"
#include "instrument/Synth.h"
#include "instrument/UpdateCheck.h"
#include "platform/KnownFolders.h"
#include "plugin/EditorView.h"
#include "plugin/Text.h"

namespace programcommands {

const char* OptionMenuText(int command) {
  static const char* const kTexts[] = {
      "Copy Program",
      "Paste Program",
      "Init Program",
      nullptr,
      "Load Program",
      "Save Program",
      "Load Bank",
      "Save Bank",
      nullptr,
      "Default Path for Program Files",
      "Global MIDI Settings...",
      "Reload Configuration",
      "Save Configuration",
      "Select Startup Bank",
      "Load Startup Bank",
      "Unselect Startup Bank",
      nullptr,
      "Go Online...",
      "MIDI Thru",
      "Ignore Program Change",
      "Check Online for Update",
  };
  if (command < 0 || command >= static_cast<int>(std::size(kTexts))) return nullptr;
  return kTexts[command];
}

std::string FolderOf(const std::string& path) {
  // A separator in first place is the root or a drive-less path, not a folder we can name.
  const std::size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos || cut == 0) return "";
  return path.substr(0, cut);
}

std::string CleanProgramFileName(const std::string& name) {
  constexpr std::size_t kLongestName = 63;
  constexpr std::string_view kForbidden = "<>:\"/\\|?*";
  std::string clean = name.substr(0, kLongestName);
  for (char& c : clean)
    if (kForbidden.find(c) != std::string_view::npos) c = '_';
  return clean;
}

int NeighbourProgram(int current, int step, int count) {
  if (count <= 0) return current;
  const int next = (current % count + step % count) % count;
  return next < 0 ? next + count : next;
}

}  // namespace programcommands

namespace {

using namespace programcommands;

constexpr const char* kProgramExtension = "fxp";
constexpr const char* kBankExtension = "fxb";
// The default folder is chosen with a save prompt: any name in the folder will do.
constexpr const char* kFolderPromptName = "[file name is ignored]";
constexpr const char* kAnyExtension = " ";
constexpr const char* kInitName = "Init";

constexpr const char* kErrorTitle = "Error";
constexpr const char* kCannotLoad = "Cannot load file!";
constexpr const char* kCannotSave = "Cannot save file!";

// Only Yes lets a command overwrite anything: a box that could not be shown,
// or was closed some other way, is no consent.
bool Confirmed(EditorView& editor, const char* text, const char* title) {
  return editor.ShowMessage(text, title, kMessageYesNo) == kAnswerYes;
}

// A question naming a file, cut to the length of a message.
bool ConfirmedAbout(EditorView& editor, const char* format, const std::string& path, const char* title) {
  char text[kPathLength];
  std::snprintf(text, sizeof text, format, path.c_str());
  return Confirmed(editor, text, title);
}

void ShowError(EditorView& editor, const char* text) { editor.ShowMessage(text, kErrorTitle, kMessageOk); }

// The path the user chose, "" when the prompt was cancelled.
std::string PromptForPath(EditorView& editor, int mode, const std::string& suggested, const std::string& folder,
                          const char* extensions) {
  char path[kPathLength];
  char start[kPathLength];
  CopyText(path, suggested.c_str());
  CopyText(start, folder.c_str());
  editor.PromptForFile(path, mode, start, extensions);
  path[kPathLength - 1] = '\0';
  return path;
}

}  // namespace

void Synth::HandleOptionCommand(int command, EditorView* editor) {
  switch (command) {
    case kCopyProgram: CopyProgram(); return;
    case kMidiThru:
    case kIgnoreProgramChange: {
      std::atomic<bool>& setting = command == kMidiThru ? midiThru_ : ignoreProgramChange_;
      setting.store(!setting.load());
      WriteConfiguration(true);
      return;
    }
    default: break;
  }

  // Everything else asks the user first.
  if (editor == nullptr) return;
  switch (command) {
    case kPasteProgram:
      if (Confirmed(*editor, "Do you really want to overwrite the current program?", "Paste Program")) PasteProgram();
      return;
    case kInitProgram:
      if (Confirmed(*editor, "Do you really want to initialize the current program?", "Initialize Program"))
        InitProgram();
      return;
    case kLoadProgram:
    case kSaveProgram:
    case kLoadBank:
    case kSaveBank:
    case kSelectStartupBank: RunFileCommand(*editor, command); return;
    case kDefaultFolder: ChooseDefaultFolder(*editor); return;
    case kReloadConfiguration:
      if (ConfirmedAbout(*editor, "The INI configuration file is:\n%s\n\nDo you really want to reload it?",
                         configurationPath_, "Reload Configuration") &&
          ReadConfiguration() == configuration::kFileMissing)
        editor->ShowMessage("The INI file does not exist.", "Problem with INI File", kMessageOk);
      return;
    case kSaveConfiguration:
      if (ConfirmedAbout(*editor, "The INI configuration file is:\n%s\n\nDo you really want to overwrite it?",
                         configurationPath_, "Save Configuration"))
        WriteConfiguration(false);
      return;
    case kLoadStartupBank:
    case kUnselectStartupBank: RunStartupBankCommand(*editor, command); return;
    case kCheckForUpdate:
      update::CheckForUpdate(*editor);  // waits on the network: no lock held
      return;
    default:  // separators, submenus, the web page (the menu opens it) and unknown numbers
      return;
  }
}

void Synth::CopyProgram() {
  Lock lock(*this);
  programClipboard_.program = CurrentPreset();
  programClipboard_.values.Clear();
  // Half a program is no copy.
  if (!SerializeParams(programClipboard_.values)) programClipboard_.values.Clear();
  programCopied_ = programClipboard_.values.Size() > 0;
}

void Synth::PasteProgram() {
  Lock lock(*this);
  if (programClipboard_.values.Size() == 0) return;
  UnserializeParams(programClipboard_.values, 0);
  // The name the source program has now, which may have changed since the
  // copy; "" (no renaming) when the source is no program of the bank.
  char name[kPresetNameLength];
  CopyText(name, PresetName(programClipboard_.program));
  ModifyCurrentPreset(name);
  RefreshParameterControls();
  NotifyHostOfAllParameters();
  // The host's program list shows the new name.
  RequestHostDisplayUpdate();
}

void Synth::InitProgram() {
  Lock lock(*this);
  {
    BulkEdit bulk(*this);
    for (int i = 0; i < ParameterCount(); ++i) {
      EffectParameter& parameter = *Parameter(i);
      const double normalised = parameter.ToNormalized(parameter.defaultValue);
      parameter.SetFromNormalized(normalised);
      NotifyHostOfParameter(i, normalised);
      ParameterChanged(i);
    }
  }
  ModifyCurrentPreset(kInitName);
  RefreshParameterControls();
  NotifyHostOfAllParameters();
  RequestHostDisplayUpdate();
}

void Synth::RunFileCommand(EditorView& editor, int command) {
  const bool save = command == kSaveProgram || command == kSaveBank;
  const bool program = command == kLoadProgram || command == kSaveProgram;
  std::string suggested, folder;
  {
    Lock lock(*this);
    folder = defaultFolder_;
    if (command == kSaveProgram) suggested = CleanProgramFileName(PresetName(CurrentPreset()));
  }
  if (command == kSaveBank) suggested = EffectName();
  // The startup bank is a user's file like any document, wherever the
  // program files go.
  if (command == kSelectStartupBank) folder = platform::DocumentsFolder();
  const std::string path = PromptForPath(editor, save ? kFileSave : kFileOpen, suggested, folder,
                                         program ? kProgramExtension : kBankExtension);
  if (path.empty()) return;

  if (save) {
    // The file holds the edits of the current program too.
    Lock lock(*this);
    ModifyCurrentPreset(nullptr);
  }
  bool done = true;
  switch (command) {
    case kLoadProgram: done = LoadProgramFile(path); break;
    case kSaveProgram: done = SaveProgramFile(path); break;
    case kLoadBank: done = LoadBankFile(path); break;
    case kSaveBank: done = SaveBankFile(path); break;
    case kSelectStartupBank: SetStartupBank(path); break;
  }
  {
    // The next prompt opens where the user just looked, whatever came of it.
    Lock lock(*this);
    defaultFolder_ = FolderOf(path);
  }
  if (!done) ShowError(editor, save ? kCannotSave : kCannotLoad);
}

void Synth::ChooseDefaultFolder(EditorView& editor) {
  std::string start;
  {
    Lock lock(*this);
    start = defaultFolder_;
  }
  if (start.empty()) start = platform::DocumentsFolder();
  const std::string path = PromptForPath(editor, kFileSave, kFolderPromptName, start, kAnyExtension);
  if (path.empty()) return;
  // Only the folder counts: no file is made.
  const std::string folder = FolderOf(path);
  WriteDefaultFolder(&folder);
}

void Synth::RunStartupBankCommand(EditorView& editor, int command) {
  std::string bank;
  {
    Lock lock(*this);
    bank = startupBankPath_;
  }
  // The menu offers neither command while no startup bank is selected.
  if (bank.empty()) return;
  if (command == kLoadStartupBank) {
    if (ConfirmedAbout(editor, "The Startup Bank is:\n%s\n\nDo you really want to reload all programs?", bank,
                       "Load Startup Bank") &&
        !LoadBankFile(bank))
      ShowError(editor, kCannotLoad);
  } else if (ConfirmedAbout(editor, "The Startup Bank is:\n%s\n\nDo you really want to unselect it?", bank,
                            "Unselect Startup Bank")) {
    ClearStartupBank();
  }
}

void Synth::SelectProgram(int index) {
  Lock lock(*this);
  // A number outside the bank changes nothing, not even the stored edits.
  if (Preset(index) == nullptr) return;
  ModifyCurrentPreset(nullptr);
  ActivatePreset(index);
  RequestHostDisplayUpdate();
  NotifyHostOfAllParameters();
}

void Synth::RenameProgram(const char* name) {
  Lock lock(*this);
  ModifyCurrentPreset(name);
  RequestHostDisplayUpdate();
  NotifyHostOfAllParameters();
}

// -- what the editor shows ------------------------------------------------------

double Synth::NormalisedValue(int index) const {
  const EffectParameter* parameter = Parameter(index);
  return parameter ? parameter->ToNormalized() : 0.0;
}

std::string Synth::ProgramName(int index) {
  Lock lock(*this);
  return PresetName(index);
}

bool Synth::CommandAvailable(int command) {
  switch (command) {
    case kPasteProgram: return HasCopiedProgram();
    case kLoadStartupBank:
    case kUnselectStartupBank: {
      Lock lock(*this);
      return !startupBankPath_.empty();
    }
    default: return true;
  }
}

bool Synth::CommandChecked(int command) {
  if (command == kMidiThru) return MidiThru();
  if (command == kIgnoreProgramChange) return IgnoresProgramChange();
  return false;
}
