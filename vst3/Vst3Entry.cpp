// The module's entry: the factory a host finds through GetPluginFactory,
// listing one audio module class, and the calls a host makes when it loads
// and unloads the module (ModuleEntry and ModuleExit on Linux, InitDll and
// ExitDll on Windows).
#include <cstdio>
#include <cstring>
#include <mutex>

#include "vst3/Vst3Plugin.h"
#include "vst3/Vst3Text.h"

#ifdef _WIN32
#define KESTRION_EXPORT extern "C" __declspec(dllexport)
#else
#define KESTRION_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using namespace vst3;

namespace {

constexpr const char* kCategory = "Audio Module Class";
constexpr const char* kSubCategories = "Instrument|Synth";
constexpr const char* kVendor = "Harrowvale Music";
constexpr const char* kInterfaceVersion = "VST 3.7.14";

template <std::size_t Size>
void CopyField(char (&field)[Size], const char* text) {
  std::snprintf(field, Size, "%s", text);
}

// The factory lives as long as the module; hosts count references on it
// all the same.
class Factory final : public IPluginFactory3 {
 public:
  tresult queryInterface(const TUID iid, void** object) override {
    if (!object) return kInvalidArgument;
    if (SameUid(iid, FUnknown::iid) || SameUid(iid, IPluginFactory::iid) || SameUid(iid, IPluginFactory2::iid) ||
        SameUid(iid, IPluginFactory3::iid)) {
      *object = this;
      return kResultOk;
    }
    *object = nullptr;
    return kNoInterface;
  }
  uint32 addRef() override { return 1; }
  uint32 release() override { return 1; }

  tresult getFactoryInfo(PFactoryInfo* info) override {
    if (!info) return kInvalidArgument;
    *info = {};
    CopyField(info->vendor, kVendor);
    CopyField(info->url, KESTRION_MAKER_WEB_PAGE);
    CopyField(info->email, KESTRION_MAKER_EMAIL);
    info->flags = PFactoryInfo::kUnicode;
    return kResultOk;
  }

  int32 countClasses() override { return 1; }

  tresult getClassInfo(int32 index, PClassInfo* info) override {
    if (index != 0 || !info) return kInvalidArgument;
    *info = {};
    std::memcpy(info->cid, Vst3Plugin::kClassId.bytes, sizeof info->cid);
    info->cardinality = PClassInfo::kManyInstances;
    CopyField(info->category, kCategory);
    CopyField(info->name, "Kestrion");
    return kResultOk;
  }

  tresult getClassInfo2(int32 index, PClassInfo2* info) override {
    if (index != 0 || !info) return kInvalidArgument;
    *info = {};
    std::memcpy(info->cid, Vst3Plugin::kClassId.bytes, sizeof info->cid);
    info->cardinality = PClassInfo::kManyInstances;
    CopyField(info->category, kCategory);
    CopyField(info->name, "Kestrion");
    CopyField(info->subCategories, kSubCategories);
    CopyField(info->vendor, kVendor);
    CopyField(info->version, KESTRION_VERSION_TEXT);
    CopyField(info->sdkVersion, kInterfaceVersion);
    return kResultOk;
  }

  tresult getClassInfoUnicode(int32 index, PClassInfoW* info) override {
    if (index != 0 || !info) return kInvalidArgument;
    *info = {};
    std::memcpy(info->cid, Vst3Plugin::kClassId.bytes, sizeof info->cid);
    info->cardinality = PClassInfo::kManyInstances;
    CopyField(info->category, kCategory);
    CopyText(info->name, "Kestrion", 64);
    CopyField(info->subCategories, kSubCategories);
    CopyText(info->vendor, kVendor, 64);
    CopyText(info->version, KESTRION_VERSION_TEXT, 64);
    CopyText(info->sdkVersion, kInterfaceVersion, 64);
    return kResultOk;
  }

  tresult createInstance(FIDString cid, FIDString iid, void** object) override {
    if (!object) return kInvalidArgument;
    *object = nullptr;
    if (!SameUid(cid, Vst3Plugin::kClassId)) return kNoInterface;
    Vst3Plugin* plugin = nullptr;
    try {
      std::lock_guard<std::mutex> lock(Vst3InstanceCreationLock());
      plugin = new Vst3Plugin();
    } catch (...) {
      return kOutOfMemory;
    }
    // The host's reference comes from the query; the one of creation goes.
    const tresult result = plugin->queryInterface(iid, object);
    plugin->release();
    return result;
  }

  tresult setHostContext(FUnknown* /*context*/) override { return kResultOk; }
};

Factory factory;

}  // namespace

KESTRION_EXPORT IPluginFactory* GetPluginFactory() { return &factory; }

#ifdef _WIN32
KESTRION_EXPORT bool InitDll() { return true; }
KESTRION_EXPORT bool ExitDll() { return true; }
#else
KESTRION_EXPORT bool ModuleEntry(void* /*library*/) { return true; }
KESTRION_EXPORT bool ModuleExit() { return true; }
#endif
