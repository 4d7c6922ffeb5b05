// The two entries a VST 2.4 host looks for in the plug-in's module.
#include "platform/Export.h"
#include "vst2/VstPlugin.h"

KESTRION_EXPORT vst::AEffect* VSTPluginMain(vst::AudioMasterCallback host) { return CreateKestrion(host); }

// Older hosts look for "main"; the compiler will not take a function of that
// name with this signature, so the symbol is given its name directly.
KESTRION_EXPORT vst::AEffect* VSTPluginMainAlias(vst::AudioMasterCallback host) asm("main");
vst::AEffect* VSTPluginMainAlias(vst::AudioMasterCallback host) { return VSTPluginMain(host); }
