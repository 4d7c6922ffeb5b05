#include "platform/ProfileFile.h"

#include <windows.h>

namespace platform {

const char* const kProfileLineEnd = "\r\n";

std::size_t ReadProfileValue(const std::string& path, const char* section, const char* key, const char* defaultValue,
                             char* buffer, std::size_t size) {
  if (!buffer || size == 0 || !section || !key) return 0;
  // Null section or key would list names instead of reading a value.
  const DWORD capacity = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(size);
  return GetPrivateProfileStringA(section, key, defaultValue ? defaultValue : "", buffer, capacity, path.c_str());
}

void WriteProfileValue(const std::string& path, const char* section, const char* key, const char* value) {
  if (!section || !key) return;  // a null key would delete the whole section
  WritePrivateProfileStringA(section, key, value, path.c_str());
}

void ClearProfileSection(const std::string& path, const char* section) {
  if (!section) return;
  // Emptying a section that does not exist yet creates nothing, so delete it
  // and leave the header behind by removing a key written for the purpose.
  WritePrivateProfileStringA(section, nullptr, nullptr, path.c_str());
  WritePrivateProfileStringA(section, "-", "", path.c_str());
  WritePrivateProfileStringA(section, "-", nullptr, path.c_str());
}

}  // namespace platform
