// Creating plug-in instances for the host.
#pragma once

#include "host/VstAbi.h"

class IEffectVST;

// Supplied by the product: constructs one instance around the host callback.
IEffectVST* CreatePluginInstance(vst::AudioMasterCallback host);

// What the exported entries do: creates an instance (one at a time across
// the process), fills its empty program slots and returns its effect
// record, or null.
vst::AEffect* CreateEffect(vst::AudioMasterCallback host);
