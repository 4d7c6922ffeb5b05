// The built plug-in file in a host of our own, for tests that see only what
// a host sees.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tools/vsthost/VstHost.h"

namespace blackbox {

// Loads and opens the plug-in; the test fails at once when that is impossible.
inline std::unique_ptr<vsthost::VstHost> LoadPlugin(const std::string& vendor = "Kestrion", bool scanner = false) {
  auto host = std::make_unique<vsthost::VstHost>();
  host->SetVendorString(vendor);
  host->SetScanner(scanner);
  std::string error;
  EXPECT_TRUE(host->Load(KESTRION_MODULE_PATH, &error)) << error;
  if (host->Effect()) host->Open();
  return host;
}

// Sets the parameter of this name to the value this display text enters.
inline void SetByName(vsthost::VstHost& host, const char* name, const char* display) {
  for (int i = 0; i < host.Effect()->numParams; ++i)
    if (host.ParameterName(i) == name) {
      ASSERT_TRUE(host.StringToParameter(i, display)) << name << " = " << display;
      return;
    }
  FAIL() << "no parameter " << name;
}

}  // namespace blackbox
