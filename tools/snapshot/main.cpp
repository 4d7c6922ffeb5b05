// kestrion-snapshot: draws the instrument's editor once, without a window,
// and writes it to a PNG file, so that the panel can be looked at anywhere.
#include <iostream>
#include <string>

#include "host/EffectVST.h"
#include "engine/Kestrion.h"
#include "tools/snapshot/PanelSnapshot.h"
#include "tools/snapshot/PngFile.h"

namespace {

vst::VstIntPtr QuietHost(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: kestrion-snapshot OUTPUT.png\n";
    return 2;
  }
  vst::AEffect* effect = CreateKestrion(&QuietHost);
  IEffectVST* plugin = IEffectVST::FromRecord(effect);
  if (!plugin) {
    std::cerr << "kestrion-snapshot: the plug-in could not be created\n";
    return 1;
  }
  effect->dispatcher(effect, vst::effOpen, 0, 0, nullptr, 0);
  IGraphicsHeadless* editor = snapshot::DrawPanel(*plugin);
  std::string error;
  const bool written = snapshot::WritePngFile(editor->Frame(), argv[1], &error);
  effect->dispatcher(effect, vst::effClose, 0, 0, nullptr, 0);
  if (!written) {
    std::cerr << "kestrion-snapshot: " << error << "\n";
    return 1;
  }
  std::cout << argv[1] << "\n";
  return 0;
}
