// The configuration file as a value, and Synth's reading and writing of it:
// once a read, once a save, outside the plug-in mutex, which guards only the
// copy of the settings in memory, so a slow disk never holds up the audio thread.
#include "instrument/Configuration.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/FileSystem.h"
#include "platform/KnownFolders.h"
#include "platform/ProfileFile.h"
#include "instrument/Synth.h"

namespace configuration {

std::string PrepareFilePath() {
  const std::string base = platform::ConfigurationFolder();
  if (base.empty()) return "";
  // A fresh account may not have its configuration folder yet.
  if (!platform::FolderExists(base) && !platform::CreateFolder(base)) return "";
  const std::string folder = platform::JoinPath(base, kMakerFolder);
  if (!platform::FolderExists(folder) && !platform::CreateFolder(folder)) return "";
  std::string path = platform::JoinPath(folder, kFileName);
  // A path cut to fit would name another file.
  return path.size() < kPathBytes ? path : "";
}

bool ParseSwitch(const char* text, bool current) {
  if (text == nullptr || text[0] == '\0') return current;
  static const char kOn[] = "true";
  for (std::size_t i = 0; i < sizeof kOn; ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != kOn[i]) return false;
  return true;
}

const char* SwitchText(bool on) { return on ? "true" : "false"; }

std::int32_t ParseControllerEntry(const char* text) {
  if (text == nullptr) return -1;
  const char* c = text;
  while (*c == ' ' || *c == '\t' || *c == '\n' || *c == '\r' || *c == '\f' || *c == '\v') ++c;
  bool negative = false;
  if (*c == '+' || *c == '-') negative = *c++ == '-';
  std::int64_t number = 0;
  // Saturates instead of overflowing; such numbers name no parameter anyway.
  for (; *c >= '0' && *c <= '9'; ++c)
    if (number <= INT32_MAX) number = number * 10 + (*c - '0');
  if (negative) number = -number;
  if (number > INT32_MAX) number = INT32_MAX;
  if (number < INT32_MIN) number = INT32_MIN;
  if (number != 0 || text[0] == '0') return std::int32_t(number);
  return -1;
}

std::string ControllerKey(int controller) {
  char key[16];
  std::snprintf(key, sizeof key, "CC%i", controller);
  return key;
}

namespace {

std::string Trim(const std::string& text) {
  const char* blanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  const std::size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

// ASCII only, so that no locale a host may set changes which names match.
bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

// The system's functions look no further than the first section of a name
// and its first entry of a key; these serve a constant and a changing value.
template <typename Sections>
auto FirstSection(Sections& sections, const std::string& name) {
  return std::find_if(sections.begin(), sections.end(),
                      [&](const Section& section) { return SameName(section.name, name); });
}

template <typename Entries>
auto FirstEntry(Entries& entries, const std::string& key) {
  return std::find_if(entries.begin(), entries.end(),
                      [&](const Entry& entry) { return !entry.comment && SameName(entry.key, key); });
}

std::string Unquote(const std::string& value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    return value.substr(1, value.size() - 2);
  return value;
}

}  // namespace

Settings Parse(const std::string& text) {
  Settings settings;
  std::vector<Section>& sections = settings.sections;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty()) continue;
    if (line[0] == '[') {
      // Up to the last bracket; a header without one names the rest of its line.
      const std::size_t close = line.rfind(']');
      sections.push_back({Trim(line.substr(1, close == std::string::npos ? close : close - 1)), true, {}});
      continue;
    }
    if (sections.empty()) sections.push_back({"", false, {}});
    Entry entry;
    if (line[0] == ';') {
      entry.comment = true;
      entry.key = line;
    } else {
      const std::size_t equals = line.find('=');
      entry.key = Trim(line.substr(0, equals));
      if (equals != std::string::npos) {
        entry.hasValue = true;
        entry.value = Trim(line.substr(equals + 1));
      }
    }
    sections.back().entries.push_back(std::move(entry));
  }
  return settings;
}

std::string Format(const Settings& settings) {
  const std::string end = platform::kProfileLineEnd;
  std::string text;
  for (const Section& section : settings.sections) {
    if (section.hasHeader) text += "[" + section.name + "]" + end;
    for (const Entry& entry : section.entries) {
      text += entry.key;
      if (entry.hasValue) text += "=" + entry.value;
      text += end;
    }
  }
  return text;
}

Settings Read(const std::string& path) {
  std::string text;
  if (!platform::ReadWholeFile(path, kMaximumFileBytes, text)) return {};
  return Parse(text);
}

bool Write(const std::string& path, const Settings& settings) {
  return platform::WriteFileAtomically(path, Format(settings));
}

std::optional<std::string> Find(const Settings& settings, const char* section, const char* key) {
  const auto found = FirstSection(settings.sections, Trim(section));
  if (found == settings.sections.end()) return std::nullopt;
  const auto entry = FirstEntry(found->entries, Trim(key));
  if (entry == found->entries.end() || !entry->hasValue) return std::nullopt;
  return Unquote(entry->value);
}

void Set(Settings& settings, const char* section, const char* key, const std::string& value) {
  auto target = FirstSection(settings.sections, Trim(section));
  if (target == settings.sections.end())
    target = settings.sections.insert(target, {Trim(section), true, {}});
  const auto entry = FirstEntry(target->entries, Trim(key));
  if (entry == target->entries.end()) {
    target->entries.push_back({Trim(key), Trim(value), true, false});
  } else {
    entry->hasValue = true;
    entry->value = Trim(value);
  }
}

void ClearSection(Settings& settings, const char* section) {
  const std::string name = Trim(section);
  std::vector<Section>& sections = settings.sections;
  sections.erase(std::remove_if(sections.begin(), sections.end(),
                                [&](const Section& s) { return SameName(s.name, name); }),
                 sections.end());
  sections.push_back({name, true, {}});
}

}  // namespace configuration

namespace {

using namespace configuration;

// A value as the reads of earlier versions gave it: `fallback` when the key
// is missing, else the value cut to `bytes` - 1 characters.
std::string Value(const Settings& settings, const char* section, const char* key,
                  const std::string& fallback, std::size_t bytes) {
  return Find(settings, section, key).value_or(fallback).substr(0, bytes - 1);
}

std::string EntryText(std::int32_t entry) {
  char text[16];
  std::snprintf(text, sizeof text, "%i", static_cast<int>(entry));
  return text;
}

void RecordStartupBank(Settings& settings, const std::string& bank) {
  ClearSection(settings, kStartupBankSection);
  Set(settings, kStartupBankSection, kStartupBankKey, bank);
}

}  // namespace

void Synth::OpenConfiguration() {
  configurationPath_ = PrepareFilePath();
  defaultFolder_ = platform::DocumentsFolder();
  // A file that cannot be made is not read: the built-in settings stay.
  if (!configurationPath_.empty() && platform::CreateEmptyFile(configurationPath_))
    ReadConfiguration();
}

int Synth::ReadConfiguration() {
  const std::string path = configurationPath_;
  if (path.empty() || !platform::FileExists(path)) return kFileMissing;
  const Settings settings = Read(path);
  bool thru, ignoreProgramChange;
  {
    Lock lock(*this);
    thru = midiThru_;
    ignoreProgramChange = ignoreProgramChange_;
  }
  thru = ParseSwitch(Value(settings, kMidiGlobalSection, kMidiThruKey, "", kSwitchBytes).c_str(), thru);
  ignoreProgramChange = ParseSwitch(
      Value(settings, kMidiGlobalSection, kIgnoreProgramChangeKey, "", kSwitchBytes).c_str(),
      ignoreProgramChange);
  // No path holds a NUL: a path ends at the first, as it always has.
  const std::string folder = Value(settings, kGlobalSection, kProgramFolderKey, "", kPathBytes).c_str();
  const std::string startupBank =
      Value(settings, kStartupBankSection, kStartupBankKey, "", kPathBytes).c_str();
  std::int32_t entries[kLearnableControllerCount];
  bool present[kLearnableControllerCount];
  for (int k = 0; k < kLearnableControllerCount; ++k) {
    // A missing key unbinds the controller; an empty value is no entry.
    const std::string text =
        Value(settings, kMidiControlSection, ControllerKey(k).c_str(), "-1", kControllerBytes);
    present[k] = !text.empty();
    entries[k] = present[k] ? ParseControllerEntry(text.c_str()) : -1;
  }

  Lock lock(*this);
  midiThru_ = thru;
  ignoreProgramChange_ = ignoreProgramChange;
  if (!folder.empty()) defaultFolder_ = folder;
  startupBankPath_ = startupBank;
  // A key with an empty value leaves its controller as it was.
  for (int k = 0; k < kLearnableControllerCount; ++k)
    if (present[k]) controllerMap_[k] = entries[k];
  return kRead;
}

// Each save reads the file once, changes the instrument's entries in memory
// and writes the file once: sections and keys of others stay as they were.
void Synth::WriteConfiguration(bool midiOnly) {
  bool thru, ignoreProgramChange;
  std::string startupBank;
  std::int32_t entries[kLearnableControllerCount];
  {
    Lock lock(*this);
    thru = midiThru_;
    ignoreProgramChange = ignoreProgramChange_;
    startupBank = startupBankPath_;
    for (int k = 0; k < kLearnableControllerCount; ++k) entries[k] = controllerMap_[k];
  }
  const std::string& path = configurationPath_;
  if (path.empty()) return;
  Settings settings = Read(path);
  RecordStartupBank(settings, startupBank);
  Set(settings, kMidiGlobalSection, kMidiThruKey, SwitchText(thru));
  Set(settings, kMidiGlobalSection, kIgnoreProgramChangeKey, SwitchText(ignoreProgramChange));
  if (!midiOnly) {
    ClearSection(settings, kEditorSection);
    ClearSection(settings, kMidiControlSection);
    for (int k = 0; k < kLearnableControllerCount; ++k)
      if (entries[k] >= 0) Set(settings, kMidiControlSection, ControllerKey(k).c_str(), EntryText(entries[k]));
  }
  Write(path, settings);
}

void Synth::WriteDefaultFolder(const std::string* folder) {
  std::string written;
  {
    Lock lock(*this);
    if (folder != nullptr) defaultFolder_ = *folder;
    written = defaultFolder_;
  }
  if (configurationPath_.empty()) return;
  Settings settings = Read(configurationPath_);
  Set(settings, kGlobalSection, kProgramFolderKey, written);
  Write(configurationPath_, settings);
}

void Synth::SetStartupBank(const std::string& path) {
  {
    Lock lock(*this);
    startupBankPath_ = path;
  }
  if (configurationPath_.empty()) return;
  Settings settings = Read(configurationPath_);
  RecordStartupBank(settings, path);
  Write(configurationPath_, settings);
}

void Synth::ClearStartupBank() {
  {
    Lock lock(*this);
    startupBankPath_.clear();
  }
  if (configurationPath_.empty()) return;
  Settings settings = Read(configurationPath_);
  ClearSection(settings, kStartupBankSection);
  Write(configurationPath_, settings);
}
