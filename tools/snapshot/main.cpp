// kestrion-snapshot: draws the instrument's panel once, without a window,
// into a PNG file (and, given a second file, again with the tweak panel
// open), so that the panel can be looked at anywhere.
#include <iostream>
#include <string>

#include "instrument/panel/PanelEditor.h"
#include "tools/pngfile/PngFile.h"
#include "tools/snapshot/PanelSnapshot.h"
#include "vst2/VstPlugin.h"

namespace {

vst::VstIntPtr QuietHost(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: kestrion-snapshot CLOSED.png [TWEAK-OPEN.png]\n";
    return 2;
  }
  vst::AEffect* effect = CreateKestrion(&QuietHost, snapshot::MakeHeadlessEditor);
  if (!effect) {
    std::cerr << "kestrion-snapshot: the plug-in could not be created\n";
    return 1;
  }
  effect->dispatcher(effect, vst::effOpen, 0, 0, nullptr, 0);
  int parentless = 0;
  effect->dispatcher(effect, vst::effEditOpen, 0, 0, &parentless, 0);
  panel::PanelEditor* plugin = EditorOf(effect);
  if (!plugin) {
    std::cerr << "kestrion-snapshot: the editor could not be made\n";
    return 1;
  }
  bool written = true;
  for (int file = 1; file < argc && written; ++file) {
    const HeadlessEditor& editor = snapshot::DrawPanel(*plugin, file == 2);
    std::string error;
    written = pngfile::WritePngFile(editor.Frame(), argv[file], &error);
    if (written)
      std::cout << argv[file] << "\n";
    else
      std::cerr << "kestrion-snapshot: " << error << "\n";
  }
  effect->dispatcher(effect, vst::effClose, 0, 0, nullptr, 0);
  return written ? 0 : 1;
}
