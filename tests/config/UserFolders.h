// Keeps tests away from the real user's configuration.
#pragma once

#include <string>

namespace testfolders {

// On systems where the user's folders come from the environment, points them
// at a fresh folder of this test process (once); everywhere, removes the
// configuration file an earlier test left. Call before creating an instance.
void UseFreshUserFolders();

// Where instances keep their configuration file.
std::string ConfigurationFile();

// The file's whole text, or empty when it is missing.
std::string FileText(const std::string& path);
// Replaces the file with `text`, making its folders when they are missing.
void WriteText(const std::string& path, const std::string& text);

}  // namespace testfolders
