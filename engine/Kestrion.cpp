#include "engine/Kestrion.h"

#include "host/VstEntry.h"

const IEffectIdentity Kestrion::kIdentity = {
    "Kestrion",          // effect name
    "",                  // product name
    "Harrowvale Music",  // maker
    0x00020302,          // version 2.3.2
    0x31343136,          // unique ID "1416"
    0x48727776,          // maker code "Hrwv"
    kParameterCount,
    kPresetCount,
    "0-1 0-2",
    0,     // latency
    true,  // handles MIDI
    true,  // uses chunks
    true,  // instrument
};

Kestrion::Kestrion(vst::AudioMasterCallback host) : Synth(kIdentity, host) {
  DefineParameters();
}

void Kestrion::ParameterChanged(int index) {
  Lock lock(Mutex());
}

void Kestrion::RenderBlock(double** inputs, double** outputs, int frames) {
  IEffectBase::RenderBlock(inputs, outputs, frames);
}

IEffectVST* CreatePluginInstance(vst::AudioMasterCallback host) { return new Kestrion(host); }
