#include "platform/ProfileFile.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/ProfileText.h"

namespace platform {

const char* const kProfileLineEnd = "\n";

namespace {

// The last file parsed, kept because the key-at-a-time reads these functions
// offer would otherwise parse one file a hundred times. Keyed by the whole
// text, so a file changed by anyone is parsed anew.
struct ParsedFile {
  std::mutex mutex;
  std::string path;
  std::string text;
  profile::Text profile;
  bool valid = false;
};

// Lives as long as the module, which a host may unload: a copy left on the
// heap would leak at each unload.
ParsedFile& LastParsed() {
  static ParsedFile parsed;
  return parsed;
}

}  // namespace

std::size_t ReadProfileValue(const std::string& path, const char* section, const char* key, const char* defaultValue,
                             char* buffer, std::size_t size) {
  if (!buffer || size == 0) return 0;
  buffer[0] = 0;
  if (!section || !key) return 0;
  std::string value = defaultValue ? defaultValue : "";
  value.erase(value.find_last_not_of(' ') + 1);  // the system trims the default, too
  std::string text;
  if (!ReadWholeFile(path, profile::kMaximumBytes, text)) text.clear();
  {
    ParsedFile& parsed = LastParsed();
    std::lock_guard<std::mutex> lock(parsed.mutex);
    if (!parsed.valid || parsed.path != path || parsed.text != text) {
      parsed.profile = profile::Parse(text);
      parsed.path = path;
      parsed.text = std::move(text);
      parsed.valid = true;
    }
    if (const std::optional<std::string> found = profile::Find(parsed.profile, section, key)) value = *found;
  }
  const std::size_t count = std::min(value.size(), size - 1);
  std::memcpy(buffer, value.data(), count);
  buffer[count] = 0;
  return count;
}

void WriteProfileValue(const std::string& path, const char* section, const char* key, const char* value) {
  if (!section || !key) return;
  profile::Text text = profile::Read(path);
  if (value)
    profile::Set(text, section, key, value);
  else if (!profile::Remove(text, section, key))
    return;  // nothing to remove: the file stays as it is
  profile::Write(path, text);
}

void ClearProfileSection(const std::string& path, const char* section) {
  if (!section) return;
  profile::Text text = profile::Read(path);
  profile::ClearSection(text, section);
  profile::Write(path, text);
}

}  // namespace platform
