// Per-user INI files, read and written the way the system's private-profile
// functions do it: section and key names ignore case and surrounding blanks,
// values lose surrounding blanks and one pair of matching quotes, and a
// missing file is created by the first write. The results of writes are not
// reported, as callers have nothing to do about them.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// How the system ends the lines of the profile files it writes.
extern const char* const kProfileLineEnd;

// Copies the value of `key` in `section`, or `defaultValue` (null = empty)
// when there is none, into `buffer`: at most size - 1 characters and a
// terminator. Returns the number of characters copied.
std::size_t ReadProfileValue(const std::string& path, const char* section, const char* key, const char* defaultValue,
                             char* buffer, std::size_t size);

// Sets `key` in `section`, adding the section and the key at the end when
// they are missing. A null value removes the key; the section stays.
void WriteProfileValue(const std::string& path, const char* section, const char* key, const char* value);

// Replaces `section` with an empty one (its header only), at the end of the file.
void ClearProfileSection(const std::string& path, const char* section);

}  // namespace platform
