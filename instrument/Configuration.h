// The per-user configuration file every instance shares, in INI syntax: the
// two MIDI switches, the default folder for program files, the startup bank
// and the learned controllers. Here are its names, the rules for its values
// and the file as a value; Synth's reading and writing of it is in
// Configuration.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace configuration {

constexpr const char* kMakerFolder = "HarrowvaleMusic";
constexpr const char* kFileName = "kestrion.ini";

constexpr const char* kMidiGlobalSection = "MIDI Global";
constexpr const char* kMidiThruKey = "MIDI Thru";
constexpr const char* kIgnoreProgramChangeKey = "Ignore Program Change";
constexpr const char* kGlobalSection = "Global";
constexpr const char* kProgramFolderKey = "Path to Program Files";
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

// Far more than any configuration; a bigger file reads as an empty one.
constexpr std::size_t kMaximumFileBytes = 4u << 20;

// One line under a section header: a key with or without a value, or a
// comment (its whole text in `key`).
struct Entry {
  std::string key;
  std::string value;
  bool hasValue = false;
  bool comment = false;
};

struct Section {
  std::string name;
  bool hasHeader = true;  // false for the lines before the first header
  std::vector<Entry> entries;
};

// The whole file as a value: every section and line in the file's order,
// the instrument's and any other, so that a save rewrites the file with
// only the instrument's entries changed. Names and values are read as the
// system's profile functions read them: lines and names lose surrounding
// blanks, names ignore case, blank lines are dropped.
struct Settings {
  std::vector<Section> sections;
};

// A straight walk over the lines; any text is some Settings.
Settings Parse(const std::string& text);
// One line a header or an entry, each ended as the system ends a profile's lines.
std::string Format(const Settings& settings);
// Off the audio thread only, with no lock held: file I/O.
// The file read once; a missing, unreadable or oversized file reads as empty.
Settings Read(const std::string& path);
// The file replaced at once by a complete new copy, so a reader, or a
// writer in another instance, never meets half of it.
bool Write(const std::string& path, const Settings& settings);

// The value of `key` in the first section named `section`, without one pair
// of matching quotes; none when there is no such key or it has no value.
std::optional<std::string> Find(const Settings& settings, const char* section, const char* key);
// Gives `key` in the first section named `section` the value without its
// surrounding blanks; a missing section is added at the end, a missing key
// at the end of its section.
void Set(Settings& settings, const char* section, const char* key, const std::string& value);
// Drops every section named `section` and adds an empty one at the end.
void ClearSection(Settings& settings, const char* section);

// The file's path inside the user's configuration folder, making the
// folders on the way when they are missing. Empty when the system names no
// such folder or the path would not fit a path buffer.
std::string PrepareFilePath();

// A switch as stored: "true" in any case is on, any other text off; an empty
// text keeps `current`.
bool ParseSwitch(const char* text, bool current);
const char* SwitchText(bool on);

// A controller's entry as stored: a decimal number (leading blanks, a sign,
// digits up to the first other character). A text that gives 0 without
// beginning with "0" is no number and unbinds the controller (-1).
std::int32_t ParseControllerEntry(const char* text);

// The key of controller k: "CC" and its number.
std::string ControllerKey(int controller);

}  // namespace configuration
