// Programs as a host's presets: the preset-load extension (a program of the
// bank by its number, or a program or bank file by its path) and the
// preset-discovery factory, which lists the 64 programs a new instance
// starts with and the program files in the user's program folder, so that a
// host's browser can show them.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "clap/ClapPlugin.h"
#include "platform/KnownFolders.h"

using namespace clap;

namespace {

bool EndsWith(const std::string& text, const char* suffix) {
  const std::size_t n = std::strlen(suffix);
  if (text.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != suffix[i]) return false;
  return true;
}

// A program's number as a load key: decimal digits only, within the bank.
int ProgramOfKey(const char* key, int count) {
  if (!key || !key[0] || std::strlen(key) > 3) return -1;
  int program = 0;
  for (const char* c = key; *c; ++c) {
    if (*c < '0' || *c > '9') return -1;
    program = program * 10 + (*c - '0');
  }
  return program < count ? program : -1;
}

}  // namespace

bool ClapPlugin::LoadPreset(const clap_plugin* plugin, std::uint32_t kind, const char* location, const char* key) {
  ClapPlugin* self = From(plugin);
  if (!self) return false;
  Kestrion& instrument = *self->instrument_;
  bool loaded = false;
  const char* why = "not a preset of Kestrion";
  if (kind == CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN) {
    const int program = ProgramOfKey(key, instrument.PresetCount());
    if (program >= 0) {
      // As a program change: the edits of the program left are kept in its slot.
      instrument.SelectProgram(program);
      loaded = true;
    } else {
      why = "no program of that number";
    }
  } else if (kind == CLAP_PRESET_DISCOVERY_LOCATION_FILE && location) {
    const std::string path = location;
    loaded = EndsWith(path, ".fxb") ? instrument.LoadBankFile(path) : instrument.LoadProgramFile(path);
    if (loaded) {
      instrument.RefreshParameterControls();
      self->ProgramListChanged();
    } else {
      why = "the file cannot be read as a Kestrion program or bank";
    }
  }
  auto* presets = self->HostExtension<clap_host_preset_load>(CLAP_EXT_PRESET_LOAD);
  if (!presets) presets = self->HostExtension<clap_host_preset_load>(CLAP_EXT_PRESET_LOAD_COMPAT);
  if (presets && loaded && presets->loaded) presets->loaded(self->host_, kind, location, key);
  if (presets && !loaded && presets->on_error) presets->on_error(self->host_, kind, location, key, 0, why);
  return loaded;
}

// -- discovery ----------------------------------------------------------------------

namespace {

const clap_preset_discovery_provider_descriptor kProviderDescriptor = {CLAP_VERSION, KESTRION_CLAP_ID ".programs",
                                                                       "Kestrion programs", "Harrowvale Music"};

// An instance made for the purpose reads the programs a new instance holds
// (the configured startup bank, else the factory bank) and the program files.
struct Provider {
  clap_preset_discovery_provider record;
  const clap_preset_discovery_indexer* indexer;
  SilentHostLink host;
  std::unique_ptr<Kestrion> reader;
  std::vector<std::string> programNames;
};

const clap_universal_plugin_id kPluginId = {"clap", KESTRION_CLAP_ID};

bool ProviderInit(const clap_preset_discovery_provider* record) {
  auto* self = static_cast<Provider*>(record->provider_data);
  const clap_preset_discovery_indexer* indexer = self->indexer;
  if (!indexer->declare_location) return false;
  try {
    std::lock_guard<std::mutex> lock(InstanceCreationLock());
    self->reader = std::make_unique<Kestrion>(self->host);
  } catch (...) {
    return false;
  }
  for (int program = 0; program < self->reader->PresetCount(); ++program)
    self->programNames.emplace_back(self->reader->PresetName(program));

  const clap_preset_discovery_location programs = {CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT, "Kestrion programs",
                                                   CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr};
  if (!indexer->declare_location(indexer, &programs)) return false;
  // Hosts search a folder location through all its subfolders: the
  // documents folder, where the program folder starts out, is not offered.
  const std::string folder = self->reader->DefaultFolder();
  if (folder.empty() || folder == platform::DocumentsFolder() || !indexer->declare_filetype) return true;
  const clap_preset_discovery_filetype programFiles = {"Kestrion program", "", "fxp"};
  const clap_preset_discovery_location userFiles = {CLAP_PRESET_DISCOVERY_IS_USER_CONTENT, "Kestrion program files",
                                                    CLAP_PRESET_DISCOVERY_LOCATION_FILE, folder.c_str()};
  return indexer->declare_filetype(indexer, &programFiles) && indexer->declare_location(indexer, &userFiles);
}

void ProviderDestroy(const clap_preset_discovery_provider* record) {
  delete static_cast<Provider*>(record->provider_data);
}

// False when the host wants no more presets.
bool DeclarePreset(const clap_preset_discovery_metadata_receiver* receiver, const char* name, const char* key,
                   std::uint32_t flags) {
  if (!receiver->begin_preset(receiver, name[0] ? name : "(unnamed)", key)) return false;
  if (receiver->add_plugin_id) receiver->add_plugin_id(receiver, &kPluginId);
  if (receiver->set_flags) receiver->set_flags(receiver, flags);
  return true;
}

bool ProviderMetadata(const clap_preset_discovery_provider* record, std::uint32_t kind, const char* location,
                      const clap_preset_discovery_metadata_receiver* receiver) {
  auto* self = static_cast<Provider*>(record->provider_data);
  if (!self->reader || !receiver || !receiver->begin_preset) return false;
  if (kind == CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN) {
    for (std::size_t program = 0; program < self->programNames.size(); ++program)
      if (!DeclarePreset(receiver, self->programNames[program].c_str(), std::to_string(program).c_str(),
                         CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT))
        break;
    return true;
  }
  // A program file is read in full, so that only files that load are listed.
  if (kind != CLAP_PRESET_DISCOVERY_LOCATION_FILE || !location) return false;
  if (!self->reader->LoadProgramFile(location)) {
    if (receiver->on_error) receiver->on_error(receiver, 0, "not a Kestrion program file");
    return false;
  }
  DeclarePreset(receiver, self->reader->PresetName(self->reader->CurrentPreset()), nullptr,
                CLAP_PRESET_DISCOVERY_IS_USER_CONTENT);
  return true;
}

const void* ProviderExtension(const clap_preset_discovery_provider* /*provider*/, const char* /*id*/) {
  return nullptr;
}

std::uint32_t ProviderCount(const clap_preset_discovery_factory* /*factory*/) { return 1; }

const clap_preset_discovery_provider_descriptor* ProviderDescriptor(const clap_preset_discovery_factory* /*factory*/,
                                                                    std::uint32_t index) {
  return index == 0 ? &kProviderDescriptor : nullptr;
}

const clap_preset_discovery_provider* CreateProvider(const clap_preset_discovery_factory* /*factory*/,
                                                     const clap_preset_discovery_indexer* indexer, const char* id) {
  if (!indexer || !id || std::strcmp(id, kProviderDescriptor.id) != 0) return nullptr;
  auto* provider = new (std::nothrow) Provider();
  if (!provider) return nullptr;
  provider->indexer = indexer;
  provider->record = {&kProviderDescriptor, provider,          &ProviderInit,
                      &ProviderDestroy,     &ProviderMetadata, &ProviderExtension};
  return &provider->record;
}

}  // namespace

const clap_preset_discovery_factory kPresetDiscoveryFactory = {&ProviderCount, &ProviderDescriptor, &CreateProvider};
