#include "platform/ProfileText.h"

#include <algorithm>

#include "platform/FileSystem.h"
#include "platform/ProfileFile.h"

namespace platform::profile {

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

Text Parse(const std::string& text) {
  Text settings;
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

std::string Format(const Text& settings) {
  const std::string end = kProfileLineEnd;
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

Text Read(const std::string& path) {
  std::string text;
  if (!ReadWholeFile(path, kMaximumBytes, text)) return {};
  return Parse(text);
}

bool Write(const std::string& path, const Text& settings) { return WriteFileAtomically(path, Format(settings)); }

std::optional<std::string> Find(const Text& settings, const char* section, const char* key) {
  const auto found = FirstSection(settings.sections, Trim(section));
  if (found == settings.sections.end()) return std::nullopt;
  const auto entry = FirstEntry(found->entries, Trim(key));
  if (entry == found->entries.end() || !entry->hasValue) return std::nullopt;
  return Unquote(entry->value);
}

void Set(Text& settings, const char* section, const char* key, const std::string& value) {
  auto target = FirstSection(settings.sections, Trim(section));
  if (target == settings.sections.end()) target = settings.sections.insert(target, {Trim(section), true, {}});
  const auto entry = FirstEntry(target->entries, Trim(key));
  if (entry == target->entries.end()) {
    target->entries.push_back({Trim(key), Trim(value), true, false});
  } else {
    entry->hasValue = true;
    entry->value = Trim(value);
  }
}

bool Remove(Text& settings, const char* section, const char* key) {
  const auto found = FirstSection(settings.sections, Trim(section));
  if (found == settings.sections.end()) return false;
  const auto entry = FirstEntry(found->entries, Trim(key));
  if (entry != found->entries.end()) found->entries.erase(entry);
  return true;
}

void ClearSection(Text& settings, const char* section) {
  const std::string name = Trim(section);
  std::vector<Section>& sections = settings.sections;
  sections.erase(
      std::remove_if(sections.begin(), sections.end(), [&](const Section& s) { return SameName(s.name, name); }),
      sections.end());
  sections.push_back({name, true, {}});
}

}  // namespace platform::profile
