// kestrion-artgen: draws the panel's 22 images into a folder (normally
// resources/img) with the names, sizes and frame counts of the panel's
// table, and each again at twice the size as NAME@2x.png for the editor's
// larger zooms; with --preview it also puts the panel together, closed and
// open, at the table's size.
#include <cstdio>
#include <iostream>
#include <map>
#include <string>

#include "instrument/panel/PanelLayout.h"
#include "tools/artgen/ButtonArt.h"
#include "tools/artgen/KnobArt.h"
#include "tools/artgen/PanelArt.h"
#include "tools/artgen/ParameterTexts.h"
#include "tools/artgen/Preview.h"
#include "tools/artgen/SwitchArt.h"

namespace {

using namespace artgen;

cairo_surface_t* Paint(const panel::ImageSpec& image, const ParameterTexts& texts) {
  const int w = image.width, frame = image.height / image.frames, n = image.frames;
  switch (image.id) {
    case panel::kBackImage: return PaintBackground(texts, w, image.height);
    case panel::kKnobImage: return PaintKnobStrip(KnobFinish::kDark, w, n);
    case panel::kKnobWhiteImage: return PaintKnobStrip(KnobFinish::kCream, w, n);
    case panel::kSwitchImage: return PaintRotarySwitchStrip(KnobFinish::kDark, w, n);
    case panel::kSwitchWhiteImage: return PaintRotarySwitchStrip(KnobFinish::kCream, w, n);
    case panel::kSwitch2Image:
    case panel::kSwitch3Image: return PaintToggleStrip(w, frame, n);
    case panel::kButtonOffImage: return PaintKeyCapStrip(CapColour::kGrey, false, w, frame, n);
    case panel::kButtonOnImage: return PaintKeyCapStrip(CapColour::kGrey, true, w, frame, n);
    case panel::kButtonWhiteOffImage: return PaintKeyCapStrip(CapColour::kCream, false, w, frame, n);
    case panel::kButtonWhiteOnImage: return PaintKeyCapStrip(CapColour::kCream, true, w, frame, n);
    case panel::kButtonOrangeOffImage: return PaintKeyCapStrip(CapColour::kOrange, false, w, frame, n);
    case panel::kButtonOrangeOnImage: return PaintKeyCapStrip(CapColour::kOrange, true, w, frame, n);
    case panel::kLedImage: return PaintLight(w, image.height);
    case panel::kPrevImage: return PaintArrowStrip(false, w, frame, n);
    case panel::kNextImage: return PaintArrowStrip(true, w, frame, n);
    case panel::kMidiLearnImage: return PaintLearnStrip("MIDI LEARN", ink::kLabel, ink::kAccent, w, frame, n);
    case panel::kMidiUnlearnImage: return PaintLearnStrip("MIDI UNLEARN", Hex(0x7fd0e8), Hex(0x5ec4e6), w, frame, n);
    case panel::kTweakOffImage: return PaintTweakTab(false, w, image.height);
    case panel::kTweakOnImage: return PaintTweakTab(true, w, image.height);
    case panel::kBlindLeftImage: return PaintLeftBlind(w, image.height);
    case panel::kBlindRightImage: return PaintRightBlind(w, image.height);
  }
  return nullptr;
}

// "resources/img/knob.png" is knob.png at 1x and knob@2x.png at 2x.
std::string FileName(const char* resourceName, int scale) {
  std::string name = resourceName;
  name = name.substr(name.find_last_of('/') + 1);
  if (scale != 1) name.insert(name.find_last_of('.'), "@" + std::to_string(scale) + "x");
  return name;
}

bool WritePreview(const std::map<int, cairo_surface_t*>& images, const ParameterTexts& texts,
                  const std::string& prefix) {
  bool written = true;
  for (bool open : {false, true}) {
    cairo_surface_t* composite = ComposePreview(images, texts, open);
    written = WritePng(composite, prefix + (open ? "-open.png" : "-closed.png")) && written;
    cairo_surface_destroy(composite);
  }
  return written;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder, preview;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--preview" && i + 1 < argc)
      preview = argv[++i];
    else if (folder.empty())
      folder = argument;
    else
      folder.clear(), i = argc;
  }
  if (folder.empty()) {
    std::cerr << "usage: kestrion-artgen OUTPUT_FOLDER [--preview PREFIX]\n";
    return 2;
  }
  ParameterTexts texts;
  if (!texts.Valid()) {
    std::cerr << "kestrion-artgen: the plug-in could not be created\n";
    return 1;
  }
  int status = 0;
  std::size_t written = 0;
  for (const int scale : {1, 2}) {
    SetArtScale(scale);
    std::map<int, cairo_surface_t*> images;
    for (const panel::ImageSpec& image : panel::kImages) {
      cairo_surface_t* surface = Paint(image, texts);
      if (!surface || cairo_image_surface_get_width(surface) != image.width * scale ||
          cairo_image_surface_get_height(surface) != image.height * scale) {
        std::cerr << "kestrion-artgen: " << image.name << " came out at the wrong size at " << scale << "x\n";
        return 1;
      }
      images[image.id] = surface;
      const std::string path = folder + "/" + FileName(image.name, scale);
      if (WritePng(surface, path)) {
        ++written;
      } else {
        std::cerr << "kestrion-artgen: cannot write " << path << "\n";
        status = 1;
      }
    }
    // The preview shows the panel at the table's size.
    if (scale == 1 && !preview.empty() && !WritePreview(images, texts, preview)) status = 1;
    for (auto& image : images) cairo_surface_destroy(image.second);
  }
  if (status == 0) std::cout << "kestrion-artgen: " << written << " images in " << folder << "\n";
  return status;
}
