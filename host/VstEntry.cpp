#include "host/VstEntry.h"

#include <mutex>
#include <new>

#include "host/EffectVST.h"

vst::AEffect* CreateEffect(vst::AudioMasterCallback host, const CreateInstance& create) {
  // A function-local static is created thread-safely on first use.
  static std::mutex creationLock;
  std::lock_guard<std::mutex> lock(creationLock);
  IEffectVST* plugin = nullptr;
  try {
    plugin = create(host);
  } catch (...) {
    return nullptr;  // out of memory or a failed resource: no instance
  }
  if (!plugin) return nullptr;
  plugin->FillEmptyPresets(plugin->PresetCount());
  vst::AEffect* effect = plugin->EffectRecord();
  if (effect->numPrograms < 1) effect->numPrograms = 1;
  return effect;
}
