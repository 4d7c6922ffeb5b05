// kestrion-snapshot: draws the instrument's panel once, without a window,
// into a PNG file (and, given a second file, again with the tweak panel
// open), so that the panel can be looked at anywhere; --scale PERCENT draws
// it at one of the panel's sizes (100, 125, 150, 175 or 200).
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "instrument/panel/PanelEditor.h"
#include "plugin/PanelSizes.h"
#include "tools/pngfile/PngFile.h"
#include "tools/snapshot/PanelSnapshot.h"
#include "vst2/VstPlugin.h"

namespace {

vst::VstIntPtr QuietHost(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> files;
  int zoom = kDefaultZoom;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--scale" && i + 1 < argc)
      zoom = std::atoi(argv[++i]);
    else
      files.push_back(argument);
  }
  if (files.empty() || files.size() > 2 || !IsZoomStep(zoom)) {
    std::cerr << "usage: kestrion-snapshot [--scale 100|125|150|175|200] CLOSED.png [TWEAK-OPEN.png]\n";
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
  // The user's own choice of size is no business of a picture.
  plugin->ShowAtZoom(zoom, false);
  bool written = true;
  for (std::size_t file = 0; file < files.size() && written; ++file) {
    const HeadlessEditor& editor = snapshot::DrawPanel(*plugin, file == 1);
    std::string error;
    written = pngfile::WritePngFile(editor.Frame(), files[file], &error);
    if (written)
      std::cout << files[file] << "\n";
    else
      std::cerr << "kestrion-snapshot: " << error << "\n";
  }
  effect->dispatcher(effect, vst::effClose, 0, 0, nullptr, 0);
  return written ? 0 : 1;
}
