// The module's entries: the plug-in's descriptor and its UI's, which hosts
// find through lv2_descriptor and lv2ui_descriptor.
#include <cstring>
#include <mutex>

#include <lv2/ui/ui.h>

#include "lv2/Lv2Plugin.h"

namespace {

// Instances are made one at a time across the process, as the instrument's
// shared tables expect.
std::mutex creation;

Lv2Plugin* From(LV2_Handle instance) { return static_cast<Lv2Plugin*>(instance); }

LV2_Handle Instantiate(const LV2_Descriptor* /*descriptor*/, double rate, const char* /*bundlePath*/,
                       const LV2_Feature* const* features) {
  std::lock_guard<std::mutex> lock(creation);
  try {
    return new Lv2Plugin(rate, features);
  } catch (...) {
    return nullptr;
  }
}

void ConnectPort(LV2_Handle instance, std::uint32_t port, void* data) { From(instance)->ConnectPort(port, data); }
void Activate(LV2_Handle instance) { From(instance)->Activate(); }
void Run(LV2_Handle instance, std::uint32_t frames) { From(instance)->Run(frames); }
void Deactivate(LV2_Handle instance) { From(instance)->Deactivate(); }
void Cleanup(LV2_Handle instance) { delete From(instance); }

LV2_State_Status Save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle,
                      std::uint32_t /*flags*/, const LV2_Feature* const* /*features*/) {
  return From(instance)->SaveState(store, handle);
}

LV2_State_Status Restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                         std::uint32_t /*flags*/, const LV2_Feature* const* /*features*/) {
  return From(instance)->RestoreState(retrieve, handle);
}

const void* ExtensionData(const char* uri) {
  static const LV2_State_Interface state = {&Save, &Restore};
  if (uri && std::strcmp(uri, LV2_STATE__interface) == 0) return &state;
  return nullptr;
}

const LV2_Descriptor kDescriptor = {KESTRION_LV2_URI, &Instantiate, &ConnectPort,  &Activate, &Run,
                                    &Deactivate,      &Cleanup,     &ExtensionData};

}  // namespace

extern "C" __attribute__((visibility("default"))) const LV2_Descriptor* lv2_descriptor(std::uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}

extern "C" __attribute__((visibility("default"))) const LV2UI_Descriptor* lv2ui_descriptor(std::uint32_t index) {
  return index == 0 ? Lv2UiDescriptor() : nullptr;
}
