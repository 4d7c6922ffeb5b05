// Creating plug-in instances for the host.
#pragma once

#include <functional>

#include "host/VstAbi.h"

class IEffectVST;

// Constructs one instance of the product around the host callback.
using CreateInstance = std::function<IEffectVST*(vst::AudioMasterCallback host)>;

// What the exported entries do: creates an instance with `create` (one at a
// time across the process), fills its empty program slots and returns its
// effect record, or null.
vst::AEffect* CreateEffect(vst::AudioMasterCallback host, const CreateInstance& create);
