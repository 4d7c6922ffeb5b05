// The LV2 bundle's Turtle files, written from the instrument's description:
// manifest.ttl (what the bundle holds and which file describes it),
// kestrion.ttl (the plugin, its ports and its UI) and presets.ttl (the
// programs). The same description always gives the same bytes.
#pragma once

#include <string>

#include "tools/lv2ttl/BundleDescription.h"

namespace lv2ttl {

struct BundleNames {
  std::string pluginUri;
  std::string binaryName;  // the module's file, relative to the bundle
  std::string homepage;    // the maker's
  int minorVersion;
  int microVersion;
};

// Whether `text` may stand between < and > as it is: no space, control
// character or character Turtle forbids there, and not empty.
bool IsPlainIri(const std::string& text);
// `text` (UTF-8) as a Turtle string with its quotes; a byte that starts no
// valid sequence stands for itself (Latin-1), escaped.
std::string Literal(const std::string& text);
// `v` in the shortest of the forms that keep nine significant digits (what
// a port's single-precision value needs), whatever the locale.
std::string Number(double v);

std::string ManifestText(const BundleNames& names, const BundleDescription& description);
std::string PluginText(const BundleNames& names, const BundleDescription& description);
std::string PresetsText(const BundleNames& names, const BundleDescription& description);

}  // namespace lv2ttl
