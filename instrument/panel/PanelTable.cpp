#include "instrument/PanelCommands.h"
#include "instrument/panel/PanelLayout.h"

namespace panel {

const ImageSpec kImages[kImageCount] = {
    {kBackImage, "resources/img/back.png", 1096, 395, 1},
    {kKnobImage, "resources/img/knob.png", 40, 2600, 65},
    {kKnobWhiteImage, "resources/img/knob_white.png", 40, 2600, 65},
    {kSwitchImage, "resources/img/switch.png", 40, 160, 4},
    {kSwitchWhiteImage, "resources/img/switch_white.png", 40, 160, 4},
    {kSwitch2Image, "resources/img/switch2.png", 14, 40, 2},
    {kSwitch3Image, "resources/img/switch3.png", 14, 90, 3},
    {kButtonOffImage, "resources/img/button_off.png", 24, 80, 2},
    {kButtonOnImage, "resources/img/button_on.png", 24, 80, 2},
    {kButtonWhiteOffImage, "resources/img/button_white_off.png", 24, 80, 2},
    {kButtonWhiteOnImage, "resources/img/button_white_on.png", 24, 80, 2},
    {kButtonOrangeOffImage, "resources/img/button_orange_off.png", 24, 80, 2},
    {kButtonOrangeOnImage, "resources/img/button_orange_on.png", 24, 80, 2},
    {kLedImage, "resources/img/led.png", 8, 8, 1},
    {kPrevImage, "resources/img/prev.png", 16, 44, 2},
    {kNextImage, "resources/img/next.png", 16, 44, 2},
    {kMidiLearnImage, "resources/img/midilearn.png", 80, 44, 2},
    {kMidiUnlearnImage, "resources/img/midiunlearn.png", 80, 44, 2},
    {kTweakOffImage, "resources/img/tweak_off.png", 24, 21, 1},
    {kTweakOnImage, "resources/img/tweak_on.png", 24, 21, 1},
    {kBlindLeftImage, "resources/img/blind_left.png", 436, 86, 1},
    {kBlindRightImage, "resources/img/blind_right.png", 267, 85, 1},
};

const ImageSpec* FindImage(int id) {
  for (const ImageSpec& image : kImages)
    if (image.id == id) return &image;
  return nullptr;
}

namespace {

using K = ControlKind;

// A knob with a 65-frame film strip (value knobs, gearing 4) or a four-frame
// rotary switch (gearing 1: one 40-pixel drag crosses the whole range).
constexpr ControlSpec Knob(int x, int y, int parameter, int image, const char* label, bool tweak = false) {
  const bool rotary = image == kSwitchImage || image == kSwitchWhiteImage;
  return {K::kKnob, {x, y, x + 40, y + 40}, parameter, image, 0, rotary ? 1.0 : 4.0, tweak, label};
}
constexpr ControlSpec Switch2(int x, int y, int parameter, const char* label, bool tweak = false) {
  return {K::kSwitch, {x, y, x + 14, y + 20}, parameter, kSwitch2Image, 0, 0, tweak, label};
}
constexpr ControlSpec Switch3(int x, int y, int parameter, const char* label, bool tweak = false) {
  return {K::kFramesSwitch, {x, y, x + 14, y + 30}, parameter, kSwitch3Image, 0, 0, tweak, label};
}
constexpr ControlSpec Button(int x, int y, int code, int off, int on, const char* label, bool tweak = false) {
  return {K::kButtonKick, {x, y, x + 24, y + 40}, code, off, on, 0, tweak, label};
}
constexpr ControlSpec Light(int x, int y) { return {K::kLight, {x, y, x + 8, y + 8}, -1, kLedImage, 0, 0, false, ""}; }

}  // namespace

const ControlSpec kControls[kControlCount] = {
    // 1-5: program and utility strip
    {K::kPresetMenu, {598, 342, 821, 358}, -1, 0, 0, 0, false, "PROGRAM"},
    {K::kUtilityKick, {580, 339, 596, 361}, kPreviousProgram, kPrevImage, 0, 0, false, ""},
    {K::kUtilityKick, {624, 339, 640, 361}, kNextProgram, kNextImage, 0, 0, false, ""},
    {K::kOptionMenu, {464, 330, 542, 348}, kOptionsMenu, 0, 0, 0, false, "OPTIONS"},
    {K::kLearnSwitch, {463, 358, 543, 380}, kLearnSwitch, kMidiLearnImage, 0, 0, false, ""},
    // 6-11: VCO 1-4 lights, MG1 and MG2 lights
    Light(678, 71),
    Light(678, 145),
    Light(678, 223),
    Light(678, 299),
    Light(214, 87),
    Light(288, 87),
    // 12-22: the tweak group
    {K::kUtilityKick, {16, 360, 40, 381}, kCloseTweakPanel, kTweakOffImage, 0, 0, true, ""},
    Knob(96, 330, 61, kKnobImage, "MW OVERRIDE", true),
    Switch2(319, 340, 62, "FX RESET", true),
    Button(379, 328, kRoundRobinButton, kButtonOffImage, kButtonOnImage, "RND ROBIN", true),
    Switch3(164, 333, 69, "DRIFT", true),
    Switch2(212, 340, 65, "ARP TRIG", true),
    {K::kTempoMenu, {240, 340, 288, 360}, 66, 0, 0, 0, true, "ARP TEMPO"},
    Knob(850, 330, 63, kKnobImage, "SHIFT SINGLE", true),
    Knob(912, 330, 64, kKnobImage, "SHIFT DOUBLE", true),
    Knob(974, 330, 67, kKnobImage, "VCF VELO", true),
    Knob(1036, 330, 68, kKnobImage, "VCA VELO", true),
    // 23-27: the arpeggiator step light, the blinds, the open button, the release
    Light(260, 326),
    {K::kBlind, {0, 310, 436, 396}, -1, kBlindLeftImage, 0, 0, false, ""},
    {K::kBlind, {830, 310, 1097, 395}, -1, kBlindRightImage, 0, 0, false, ""},
    {K::kUtilityKick, {16, 360, 40, 381}, kOpenTweakPanel, kTweakOnImage, 0, 0, false, ""},
    {K::kVersionText, {1018, 344, 1078, 362}, -1, 0, 0, 0, false, ""},
    // 28-36: portamento, master tune, VCO 1, filter
    Knob(514, 22, 13, kKnobImage, "PORTAMENTO"),
    Knob(586, 22, 11, kKnobImage, "MASTER TUNE"),
    Knob(654, 22, 18, kSwitchWhiteImage, "WAVE"),
    Knob(714, 22, 19, kSwitchWhiteImage, "OCTAVE"),
    Knob(776, 22, 20, kKnobWhiteImage, "LEVEL"),
    Knob(850, 22, 43, kKnobImage, "CUTOFF"),
    Knob(912, 22, 44, kKnobImage, "RESONANCE"),
    Knob(974, 22, 45, kKnobImage, "EG INTENSITY"),
    Knob(1036, 22, 46, kKnobImage, "KEY TRACK"),
    // 37-52: output, generators, pulse width, detune, VCO 2, EG 1
    Knob(24, 96, 8, kKnobImage, "VOLUME"),
    Switch3(109, 101, 9, "OUT RANGE"),
    Knob(170, 96, 48, kKnobImage, "MG1 RATE"),
    Knob(244, 96, 49, kKnobImage, "MG2 RATE"),
    Switch3(319, 101, 34, "PWM SRC"),
    Knob(368, 96, 33, kKnobImage, "PWM"),
    Knob(440, 96, 35, kKnobImage, "PW"),
    Knob(514, 96, 12, kKnobImage, "DETUNE"),
    Knob(586, 96, 21, kKnobWhiteImage, "TUNE"),
    Knob(654, 96, 22, kSwitchWhiteImage, "WAVE"),
    Knob(714, 96, 23, kSwitchWhiteImage, "OCTAVE"),
    Knob(776, 96, 24, kKnobWhiteImage, "LEVEL"),
    Knob(850, 96, 50, kKnobImage, "ATTACK"),
    Knob(912, 96, 51, kKnobImage, "DECAY"),
    Knob(974, 96, 52, kKnobImage, "SUSTAIN"),
    Knob(1036, 96, 53, kKnobImage, "RELEASE"),
    // 53-69: wheels, MG1 wave, effects, transpose, VCO 3, EG 2
    Knob(24, 174, 15, kKnobImage, "PB INTENSITY"),
    Knob(96, 174, 17, kKnobImage, "MW INTENSITY"),
    Knob(170, 174, 47, kSwitchImage, "MG1 WAVE"),
    Knob(244, 174, 38, kKnobImage, "X-MOD"),
    Knob(311, 174, 39, kKnobImage, "FM"),
    Switch2(366, 185, 40, "FM SRC"),
    Switch3(413, 179, 41, "TYPE"),
    Switch2(460, 185, 42, "MODE"),
    Switch3(527, 179, 10, "TRANSPOSE"),
    Knob(586, 174, 25, kKnobWhiteImage, "TUNE"),
    Knob(654, 174, 26, kSwitchWhiteImage, "WAVE"),
    Knob(714, 174, 27, kSwitchWhiteImage, "OCTAVE"),
    Knob(776, 174, 28, kKnobWhiteImage, "LEVEL"),
    Knob(850, 174, 54, kKnobImage, "ATTACK"),
    Knob(912, 174, 55, kKnobImage, "DECAY"),
    Knob(974, 174, 56, kKnobImage, "SUSTAIN"),
    Knob(1036, 174, 57, kKnobImage, "RELEASE"),
    // 70-87: wheel targets, arpeggiator, effects/hold/key-assignment buttons,
    // VCO 4, noise, trigger and auto damp
    Switch3(37, 253, 14, "PB TARGET"),
    Switch3(109, 253, 16, "MW TARGET"),
    Switch3(164, 253, 58, "RANGE"),
    Switch3(210, 253, 59, "MODE"),
    Switch3(256, 253, 60, "ARP"),
    Button(319, 248, kEffectsButton, kButtonOrangeOffImage, kButtonOrangeOnImage, "EFFECTS"),
    Button(379, 248, kHoldButton, kButtonWhiteOffImage, kButtonWhiteOnImage, "HOLD"),
    Button(417, 248, kChordMemoryButton, kButtonOffImage, kButtonOnImage, "CHORD MEM"),
    Button(455, 248, kUnisonButton, kButtonOffImage, kButtonOnImage, "UNISON"),
    Button(493, 248, kUnisonShareButton, kButtonOffImage, kButtonOnImage, "UNI/SHARE"),
    Button(531, 248, kPolyButton, kButtonOffImage, kButtonOnImage, "POLY"),
    Knob(586, 250, 29, kKnobWhiteImage, "TUNE"),
    Knob(654, 250, 30, kSwitchWhiteImage, "WAVE"),
    Knob(714, 250, 31, kSwitchWhiteImage, "OCTAVE"),
    Knob(776, 250, 32, kKnobWhiteImage, "LEVEL"),
    Knob(850, 250, 36, kKnobImage, "NOISE"),
    Switch2(930, 260, 1, "TRIGGER"),
    Switch2(1029, 260, 2, "AUTO DAMP"),
};

}  // namespace panel
