// The instrument's panel as data: its 22 images and its 87 controls in
// drawing order, each with the label the panel art prints beside it. The
// editor builds the panel from this table and the art generator draws the
// labels from it, so the picture and the controls cannot drift apart.
#pragma once

#include "plugin/Version.h"
#include "ui/PanelTypes.h"

namespace panel {

constexpr int kPanelWidth = 1096;
constexpr int kPanelHeight = 395;

enum ImageId {
  kBackImage = 101,
  kKnobImage = 102,
  kKnobWhiteImage = 103,
  kSwitchImage = 104,
  kSwitchWhiteImage = 105,
  kSwitch2Image = 106,
  kSwitch3Image = 107,
  kButtonOffImage = 108,
  kButtonOnImage = 109,
  kButtonWhiteOffImage = 110,
  kButtonWhiteOnImage = 111,
  kButtonOrangeOffImage = 112,
  kButtonOrangeOnImage = 113,
  kLedImage = 114,
  kPrevImage = 115,
  kNextImage = 116,
  kMidiLearnImage = 117,
  kMidiUnlearnImage = 118,
  kTweakOffImage = 119,
  kTweakOnImage = 120,
  kBlindLeftImage = 121,
  kBlindRightImage = 122,
};

// Frames are stacked top to bottom: each frame is width x (height / frames).
struct ImageSpec {
  int id;
  const char* name;
  int width;
  int height;
  int frames;
};

constexpr int kImageCount = 22;
extern const ImageSpec kImages[kImageCount];
// The image `id` of the table; null for an id outside 101..122.
const ImageSpec* FindImage(int id);

enum class ControlKind {
  kPresetMenu,    // program number and name, the program menu
  kUtilityKick,   // momentary button running a command
  kOptionMenu,    // the options menu (drawn by the art)
  kLearnSwitch,   // MIDI learn / unlearn
  kLight,         // an LED the engine drives
  kKnob,          // vertical-drag knob (film strip or rotary switch)
  kSwitch,        // two-position switch, each press steps
  kFramesSwitch,  // three-position switch, the pressed band selects
  kButtonKick,    // latching button setting a parameter
  kTempoMenu,     // the arpeggiator tempo display and its menu
  kBlind,         // cover over the tweak panel
  kVersionText,   // the release shown under the right blind
};

struct ControlSpec {
  ControlKind kind;
  Rect area;
  int parameter;      // parameter index, command code (< -1) or -1
  int image;          // image id (the unlit one for buttons), 0 for none
  int onImage;        // the lit image of a latching button, else 0
  double gearing;     // knobs only
  bool tweak;         // a member of the tweak group, hidden behind the blinds
  const char* label;  // printed by the art beside the control; "" for none
};

constexpr int kControlCount = 87;
// Controls 1 to 87 of the panel (index 0 is the background), in drawing
// and construction order.
extern const ControlSpec kControls[kControlCount];

// The two rectangles of the program display (control 1).
constexpr Rect kProgramNumberRect{598, 342, 622, 358};
constexpr Rect kProgramNameRect{645, 342, 821, 358};

// The release as the panel shows it.
constexpr const char* kVersionText = version::kPanelText;

}  // namespace panel
