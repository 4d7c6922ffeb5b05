// The per-user configuration file every instance shares, in INI syntax: the
// two MIDI switches, the default folder for program files, the startup bank
// and the learned controllers. Here are its names, the rules for its values
// and the file as a value; Synth's reading and writing of it is in
// Configuration.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

#include <string>
#include "platform/ProfileText.h"

namespace configuration {

constexpr const char* kMakerFolder = "HarrowvaleMusic";
constexpr const char* kFileName = "kestrion.ini";

constexpr const char* kMidiGlobalSection = "MIDI Global";
constexpr const char* kMidiThruKey = "MIDI Thru";
constexpr const char* kIgnoreProgramChangeKey = "Ignore Program Change";
constexpr const char* kGlobalSection = "Global";
constexpr const char* kProgramFolderKey = "Path to Program Files";
constexpr const char* kPanelSizeKey = "Panel Size";
constexpr const char* kStartupBankSection = "Startup Bank";
constexpr const char* kStartupBankKey = "File";
constexpr const char* kMidiControlSection = "MIDI Control";
constexpr const char* kEditorSection = "Editor";

// What ReadConfiguration reports.
constexpr int kRead = 0;
constexpr int kFileMissing = 11;

// The longest texts an instance takes from the file, plus one: the reads
// of earlier versions cut values to these sizes, and a file reads as it did.
constexpr std::size_t kSwitchBytes = 64;
constexpr std::size_t kPathBytes = 1024;
constexpr std::size_t kControllerBytes = 64;

// The file as a value (every section and line in the file's order), and
// its reading and writing, once each.
using Settings = platform::profile::Text;

// The file's path inside the user's configuration folder, making the
// folders on the way when they are missing. Empty when the system names no
// such folder or the path would not fit a path buffer.
std::string PrepareFilePath();

// A switch as stored: "true" in any case is on, any other text off; an empty
// text keeps `current`.
bool ParseSwitch(const char* text, bool current);
const char* SwitchText(bool on);

// A panel size as stored: a zoom step in percent ("150"); 0 for anything else.
int ParsePanelSize(const char* text);

// A controller's entry as stored: a decimal number (leading blanks, a sign,
// digits up to the first other character). A text that gives 0 without
// beginning with "0" is no number and unbinds the controller (-1).
std::int32_t ParseControllerEntry(const char* text);

// The key of controller k: "CC" and its number.
std::string ControllerKey(int controller);

}  // namespace configuration
