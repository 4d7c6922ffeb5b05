#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace testfolders {

namespace {

struct ScratchHome {
  std::string folder;
  ~ScratchHome() {
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
  }
};

ScratchHome scratch;

}  // namespace

// HOME and XDG_CONFIG_HOME of a folder of this process alone, so that test
// processes running side by side do not share a file. The configuration
// folder itself is left for the plug-in to create, as on a fresh account.
void PointUserFoldersAway() {
  scratch.folder = std::string(TEST_OUTPUT_DIR) + "/user-" + std::to_string(getpid());
  std::error_code ignored;
  std::filesystem::remove_all(scratch.folder, ignored);
  std::filesystem::create_directories(scratch.folder);
  setenv("HOME", scratch.folder.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (scratch.folder + "/.config").c_str(), 1);
}

}  // namespace testfolders
