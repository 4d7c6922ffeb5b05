// kestrion-lv2ttl BUNDLE_DIR PLUGIN_URI BINARY_NAME VERSION HOMEPAGE
// Writes the LV2 bundle's manifest.ttl, kestrion.ttl and presets.ttl into
// BUNDLE_DIR from an instance of the instrument, so that the ports and
// presets come from the tables the plug-in itself runs on. The programs are
// those a new instance holds: run it with a configuration folder of its own.
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "instrument/Kestrion.h"
#include "platform/FileSystem.h"
#include "tools/lv2ttl/BundleDescription.h"
#include "tools/lv2ttl/TurtleFiles.h"

namespace {

int Fail(const std::string& why) {
  std::fprintf(stderr, "kestrion-lv2ttl: %s\n", why.c_str());
  return 1;
}

// "major.minor.micro": three numbers, each of up to six digits.
bool ReadVersion(const std::string& text, int* minor, int* micro) {
  int parts[3] = {};
  int part = 0;
  int digits = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9' && digits < 6) {
      parts[part] = parts[part] * 10 + (c - '0');
      ++digits;
    } else if (c == '.' && digits > 0 && part < 2) {
      ++part;
      digits = 0;
    } else {
      return false;
    }
  }
  *minor = parts[1];
  *micro = parts[2];
  return part == 2 && digits > 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) return Fail("usage: kestrion-lv2ttl BUNDLE_DIR PLUGIN_URI BINARY_NAME VERSION HOMEPAGE");
  const std::string folder = argv[1];
  lv2ttl::BundleNames names{argv[2], argv[3], argv[5], 0, 0};
  for (const std::string* iri : {&names.pluginUri, &names.binaryName, &names.homepage})
    if (!lv2ttl::IsPlainIri(*iri)) return Fail("\"" + *iri + "\" cannot be written as an IRI");
  if (names.pluginUri.find(':') == std::string::npos || names.homepage.find(':') == std::string::npos)
    return Fail("the plugin URI and the homepage must be absolute");
  if (!ReadVersion(argv[4], &names.minorVersion, &names.microVersion))
    return Fail(std::string("\"") + argv[4] + "\" is not a version MAJOR.MINOR.MICRO");

  SilentHostLink host;
  lv2ttl::BundleDescription description;
  try {
    const auto instrument = std::make_unique<Kestrion>(host);
    if (!lv2ttl::Describe(*instrument, description)) return Fail("a program of the bank cannot be selected");
  } catch (...) {
    return Fail("the instrument could not be created");
  }

  if (!platform::FolderExists(folder) && !platform::CreateFolder(folder)) return Fail("cannot make " + folder);
  const std::pair<const char*, std::string> files[] = {
      {"manifest.ttl", lv2ttl::ManifestText(names, description)},
      {"kestrion.ttl", lv2ttl::PluginText(names, description)},
      {"presets.ttl", lv2ttl::PresetsText(names, description)},
  };
  for (const auto& [name, text] : files) {
    const std::string path = platform::JoinPath(folder, name);
    if (!platform::WriteFileAtomically(path, text)) return Fail("cannot write " + path);
  }
  return 0;
}
