// The module's one exported symbol: the entry a CLAP host looks for, with
// the plug-in factory behind it.
#include <cstring>

#include "clap/ClapPlugin.h"
#include "platform/Export.h"

using namespace clap;

namespace {

std::uint32_t PluginCount(const clap_plugin_factory* /*factory*/) { return 1; }

const clap_plugin_descriptor* PluginDescriptor(const clap_plugin_factory* /*factory*/, std::uint32_t index) {
  return index == 0 ? &ClapPlugin::kDescriptor : nullptr;
}

const clap_plugin* CreatePlugin(const clap_plugin_factory* /*factory*/, const clap_host* host, const char* id) {
  if (!host || !id || std::strcmp(id, ClapPlugin::kDescriptor.id) != 0) return nullptr;
  if (!clap_version_is_compatible(host->clap_version)) return nullptr;
  return CreateClapPlugin(host);
}

const clap_plugin_factory kFactory = {&PluginCount, &PluginDescriptor, &CreatePlugin};

// Nothing is prepared ahead: the shared tables are made with the first
// instance. Init and deinit may therefore come in any number.
bool Init(const char* /*path*/) { return true; }
void Deinit() {}

const void* Factory(const char* id) {
  if (!id) return nullptr;
  if (std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0) return &kFactory;
  if (std::strcmp(id, CLAP_PRESET_DISCOVERY_FACTORY_ID) == 0 ||
      std::strcmp(id, CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT) == 0)
    return &kPresetDiscoveryFactory;
  return nullptr;
}

}  // namespace

KESTRION_EXPORT const clap_plugin_entry clap_entry = {CLAP_VERSION, &Init, &Deinit, &Factory};
