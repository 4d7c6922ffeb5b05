// The configuration file as a value, and Synth's reading and writing of it:
// once a read, once a save, outside the plug-in mutex, which guards only the
// copy of the settings in memory, so a slow disk never holds up the audio thread.
#include "instrument/Configuration.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "instrument/Synth.h"
#include "platform/FileSystem.h"
#include "platform/KnownFolders.h"
#include "platform/ProfileFile.h"
#include "plugin/PanelSizes.h"

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

int ParsePanelSize(const char* text) {
  char* end = nullptr;
  const long percent = std::strtol(text, &end, 10);
  return end != text && *end == 0 && IsZoomStep(static_cast<int>(percent)) ? static_cast<int>(percent) : 0;
}

}  // namespace configuration

namespace {

using namespace configuration;
using namespace platform::profile;

// A value as the reads of earlier versions gave it: `fallback` when the key
// is missing, else the value cut to `bytes` - 1 characters.
std::string Value(const Settings& settings, const char* section, const char* key, const std::string& fallback,
                  std::size_t bytes) {
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
  if (!configurationPath_.empty() && platform::CreateEmptyFile(configurationPath_)) ReadConfiguration();
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
      Value(settings, kMidiGlobalSection, kIgnoreProgramChangeKey, "", kSwitchBytes).c_str(), ignoreProgramChange);
  // No path holds a NUL: a path ends at the first, as it always has.
  const std::string folder = Value(settings, kGlobalSection, kProgramFolderKey, "", kPathBytes).c_str();
  const int panelSize = ParsePanelSize(Value(settings, kGlobalSection, kPanelSizeKey, "", kSwitchBytes).c_str());
  const std::string startupBank = Value(settings, kStartupBankSection, kStartupBankKey, "", kPathBytes).c_str();
  std::int32_t entries[kLearnableControllerCount];
  bool present[kLearnableControllerCount];
  for (int k = 0; k < kLearnableControllerCount; ++k) {
    // A missing key unbinds the controller; an empty value is no entry.
    const std::string text = Value(settings, kMidiControlSection, ControllerKey(k).c_str(), "-1", kControllerBytes);
    present[k] = !text.empty();
    entries[k] = present[k] ? ParseControllerEntry(text.c_str()) : -1;
  }

  Lock lock(*this);
  midiThru_ = thru;
  ignoreProgramChange_ = ignoreProgramChange;
  if (!folder.empty()) defaultFolder_ = folder;
  savedPanelZoom_ = panelSize;
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

int Synth::ChosenPanelZoom() const {
  const int chosen = panelZoom_.load(std::memory_order_relaxed);
  return chosen != 0 ? chosen : savedPanelZoom_.load(std::memory_order_relaxed);
}

void Synth::ChoosePanelZoom(int percent) {
  if (!IsZoomStep(percent)) return;
  panelZoom_ = percent;
  if (savedPanelZoom_.exchange(percent) == percent || configurationPath_.empty()) return;
  Settings settings = Read(configurationPath_);
  Set(settings, kGlobalSection, kPanelSizeKey, std::to_string(percent));
  Write(configurationPath_, settings);
}
