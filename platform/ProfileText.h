// A profile (INI) file as a value, read and written whole: the
// configuration is read once and saved once, not a key at a time. The same
// rules on every system, as the system's own profile functions read a file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace platform::profile {

// Far more than any configuration; a bigger file reads as an empty one.
constexpr std::size_t kMaximumBytes = 4u << 20;

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
// whatever program wrote them, so that a save rewrites the file with only
// its writer's entries changed. Names and values are read as the
// system's profile functions read them: lines and names lose surrounding
// blanks, names ignore case, blank lines are dropped.
struct Text {
  std::vector<Section> sections;
};

// A straight walk over the lines; any text reads as some profile.
Text Parse(const std::string& text);
// One line a header or an entry, each ended as the system ends a profile's lines.
std::string Format(const Text& settings);
// Off the audio thread only, with no lock held: file I/O.
// The file read once; a missing, unreadable or oversized file reads as empty.
Text Read(const std::string& path);
// The file replaced at once by a complete new copy, so a reader, or a
// writer in another instance, never meets half of it.
bool Write(const std::string& path, const Text& settings);

// The value of `key` in the first section named `section`, without one pair
// of matching quotes; none when there is no such key or it has no value.
std::optional<std::string> Find(const Text& settings, const char* section, const char* key);
// Gives `key` in the first section named `section` the value without its
// surrounding blanks; a missing section is added at the end, a missing key
// at the end of its section.
void Set(Text& settings, const char* section, const char* key, const std::string& value);
// Drops `key` from the first section named `section`; the section stays.
// False when there is no such section.
bool Remove(Text& settings, const char* section, const char* key);
// Drops every section named `section` and adds an empty one at the end.
void ClearSection(Text& settings, const char* section);

}  // namespace platform::profile
