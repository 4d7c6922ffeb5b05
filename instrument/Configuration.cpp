// Synth's configuration file. The file is read and written outside the
// plug-in mutex, which guards only the copy of the settings in memory, so
// a slow disk never holds up the audio thread.
#include "instrument/Configuration.h"

#include <cctype>
#include <cstdio>
#include <cstring>

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

}  // namespace configuration

namespace {

using namespace configuration;

std::size_t Read(const std::string& path, const char* section, const char* key,
                 const char* defaultValue, char* buffer, std::size_t size) {
  return platform::ReadProfileValue(path, section, key, defaultValue, buffer, size);
}

std::string EntryText(std::int32_t entry) {
  char text[16];
  std::snprintf(text, sizeof text, "%i", static_cast<int>(entry));
  return text;
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
  bool thru, ignoreProgramChange;
  {
    Lock lock(*this);
    thru = midiThru_;
    ignoreProgramChange = ignoreProgramChange_;
  }
  char text[kPathBytes];
  Read(path, kMidiGlobalSection, kMidiThruKey, SwitchText(thru), text, kSwitchBytes);
  thru = ParseSwitch(text, thru);
  Read(path, kMidiGlobalSection, kIgnoreProgramChangeKey, SwitchText(ignoreProgramChange), text,
       kSwitchBytes);
  ignoreProgramChange = ParseSwitch(text, ignoreProgramChange);
  // As large as every other path, or a long folder written here comes back cut.
  Read(path, kGlobalSection, kProgramFolderKey, "", text, kPathBytes);
  const std::string folder = text;
  Read(path, kStartupBankSection, kStartupBankKey, "", text, kPathBytes);
  const std::string startupBank = text;
  std::int32_t entries[kLearnableControllerCount];
  bool present[kLearnableControllerCount];
  for (int k = 0; k < kLearnableControllerCount; ++k) {
    present[k] = Read(path, kMidiControlSection, ControllerKey(k).c_str(), "-1", text,
                      kControllerBytes) > 0;
    entries[k] = present[k] ? ParseControllerEntry(text) : -1;
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
  platform::ClearProfileSection(path, kStartupBankSection);
  platform::WriteProfileValue(path, kStartupBankSection, kStartupBankKey, startupBank.c_str());
  platform::WriteProfileValue(path, kMidiGlobalSection, kMidiThruKey, SwitchText(thru));
  platform::WriteProfileValue(path, kMidiGlobalSection, kIgnoreProgramChangeKey,
                              SwitchText(ignoreProgramChange));
  if (midiOnly) return;
  platform::ClearProfileSection(path, kEditorSection);
  platform::ClearProfileSection(path, kMidiControlSection);
  for (int k = 0; k < kLearnableControllerCount; ++k) {
    if (entries[k] < 0) continue;
    platform::WriteProfileValue(path, kMidiControlSection, ControllerKey(k).c_str(),
                                EntryText(entries[k]).c_str());
  }
}

void Synth::WriteDefaultFolder(const std::string* folder) {
  std::string written;
  {
    Lock lock(*this);
    if (folder != nullptr) defaultFolder_ = *folder;
    written = defaultFolder_;
  }
  if (configurationPath_.empty()) return;
  platform::WriteProfileValue(configurationPath_, kGlobalSection, kProgramFolderKey, written.c_str());
}

void Synth::SetStartupBank(const std::string& path) {
  {
    Lock lock(*this);
    startupBankPath_ = path;
  }
  if (configurationPath_.empty()) return;
  platform::ClearProfileSection(configurationPath_, kStartupBankSection);
  platform::WriteProfileValue(configurationPath_, kStartupBankSection, kStartupBankKey,
                              path.c_str());
}

void Synth::ClearStartupBank() {
  {
    Lock lock(*this);
    startupBankPath_.clear();
  }
  if (configurationPath_.empty()) return;
  platform::ClearProfileSection(configurationPath_, kStartupBankSection);
}
