#include "platform/ProfileFile.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/FileSystem.h"

namespace platform {

const char* const kProfileLineEnd = "\n";

namespace {

// Far more than any configuration; a bigger file is treated as empty rather
// than read into memory.
constexpr std::size_t kMaximumProfileBytes = 4u << 20;

struct ProfileLine {
  std::string key;  // or the whole text of a comment
  std::string value;
  bool comment = false;
  bool hasValue = false;
};

struct ProfileSection {
  std::string name;
  bool hasHeader = true;  // false for the lines before the first header
  std::vector<ProfileLine> lines;
};

using Profile = std::vector<ProfileSection>;

std::string Trim(const std::string& text) {
  const char* blanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  const std::size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

Profile Parse(const std::string& text) {
  Profile profile;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty()) continue;
    if (line[0] == '[') {
      const std::size_t close = line.rfind(']');
      ProfileSection section;
      section.name = Trim(line.substr(1, close == std::string::npos || close == 0 ? std::string::npos
                                                                                  : close - 1));
      profile.push_back(section);
      continue;
    }
    if (profile.empty()) profile.push_back({"", false, {}});
    ProfileLine entry;
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
    profile.back().lines.push_back(entry);
  }
  return profile;
}

std::string Format(const Profile& profile) {
  std::string text;
  for (const ProfileSection& section : profile) {
    if (section.hasHeader) text += "[" + section.name + "]\n";
    for (const ProfileLine& line : section.lines) {
      text += line.key;
      if (line.hasValue) text += "=" + line.value;
      text += "\n";
    }
  }
  return text;
}

Profile Load(const std::string& path) {
  std::string text;
  if (!ReadWholeFile(path, kMaximumProfileBytes, text)) return {};
  return Parse(text);
}

// The last file parsed, kept because the configuration is read a key at a
// time: a hundred reads of one file then cost a hundred small reads and one
// parse. Keyed by the whole text, so a file changed by anyone is parsed anew.
struct ParsedFile {
  std::mutex mutex;
  std::string path;
  std::string text;
  Profile profile;
  bool valid = false;
};

// Lives as long as the module: instances, the only readers, are gone
// before a host unloads it, and a copy left on the heap would leak at each
// unload.
ParsedFile& LastParsed() {
  static ParsedFile parsed;
  return parsed;
}

void Save(const std::string& path, const Profile& profile) {
  WriteFileAtomically(path, Format(profile));
}

ProfileSection* FindSection(Profile& profile, const std::string& name) {
  for (ProfileSection& section : profile)
    if (SameName(section.name, name)) return &section;
  return nullptr;
}

ProfileLine* FindKey(ProfileSection& section, const std::string& key) {
  for (ProfileLine& line : section.lines)
    if (!line.comment && SameName(line.key, key)) return &line;
  return nullptr;
}

std::string Unquote(const std::string& value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    return value.substr(1, value.size() - 2);
  return value;
}

}  // namespace

std::size_t ReadProfileValue(const std::string& path, const char* section, const char* key,
                              const char* defaultValue, char* buffer, std::size_t size) {
  if (!buffer || size == 0) return 0;
  buffer[0] = 0;
  if (!section || !key) return 0;
  std::string value = defaultValue ? defaultValue : "";
  value.erase(value.find_last_not_of(' ') + 1);  // the system trims the default, too
  std::string text;
  if (!ReadWholeFile(path, kMaximumProfileBytes, text)) text.clear();
  {
    ParsedFile& parsed = LastParsed();
    std::lock_guard<std::mutex> lock(parsed.mutex);
    if (!parsed.valid || parsed.path != path || parsed.text != text) {
      parsed.profile = Parse(text);
      parsed.path = path;
      parsed.text = std::move(text);
      parsed.valid = true;
    }
    if (ProfileSection* found = FindSection(parsed.profile, Trim(section))) {
      ProfileLine* line = FindKey(*found, Trim(key));
      if (line && line->hasValue) value = Unquote(line->value);
    }
  }
  const std::size_t count = std::min(value.size(), size - 1);
  std::memcpy(buffer, value.data(), count);
  buffer[count] = 0;
  return count;
}

void WriteProfileValue(const std::string& path, const char* section, const char* key,
                        const char* value) {
  if (!section || !key) return;
  Profile profile = Load(path);
  ProfileSection* target = FindSection(profile, Trim(section));
  if (!target) {
    if (!value) return;
    profile.push_back({Trim(section), true, {}});
    target = &profile.back();
  }
  ProfileLine* line = FindKey(*target, Trim(key));
  if (!value) {
    if (line) target->lines.erase(target->lines.begin() + (line - target->lines.data()));
  } else if (line) {
    line->hasValue = true;
    line->value = Trim(value);
  } else {
    target->lines.push_back({Trim(key), Trim(value), false, true});
  }
  Save(path, profile);
}

void ClearProfileSection(const std::string& path, const char* section) {
  if (!section) return;
  Profile profile = Load(path);
  const std::string name = Trim(section);
  profile.erase(std::remove_if(profile.begin(), profile.end(),
                               [&](const ProfileSection& s) { return SameName(s.name, name); }),
                profile.end());
  profile.push_back({name, true, {}});
  Save(path, profile);
}

}  // namespace platform
