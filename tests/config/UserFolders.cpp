#include "tests/config/UserFolders.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/FileSystem.h"
#include "platform/KnownFolders.h"

namespace testfolders {

void PointUserFoldersAway();  // UserFolders_<platform>.cpp

void UseFreshUserFolders() {
  static const bool pointed = (PointUserFoldersAway(), true);
  (void)pointed;
  std::error_code ignored;
  std::filesystem::remove(ConfigurationFile(), ignored);
}

std::string ConfigurationFile() {
  return platform::JoinPath(platform::JoinPath(platform::ConfigurationFolder(), "HarrowvaleMusic"), "kestrion.ini");
}

std::string FileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteText(const std::string& path, const std::string& text) {
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
}

}  // namespace testfolders
