// Controls drawn as one frame of an image strip: plain bitmaps, switches
// that step through their frames, switches split into bands, and momentary
// contacts.
#pragma once

#include <vector>

#include "ui/Control.h"

class BitmapControl : public Control {
 public:
  // The area is one frame of the strip with its top-left corner at (x, y).
  BitmapControl(EditorDelegate* delegate, int x, int y, int parameterIndex, const FrameStrip& strip,
                int blendMethod = kBlendAlpha);
  bool Render(Editor& graphics) override;
  const FrameStrip& Strip() const { return strip_; }
  // The 1-based frame the current value shows.
  int CurrentFrame() const;

 protected:
  FrameStrip strip_;
};

// Each press steps to the next frame, wrapping to the first after the last.
class SwitchControl : public BitmapControl {
 public:
  using BitmapControl::BitmapControl;
  void HandlePress(int x, int y, const PointerMods& mods) override;
  void HandleDoubleClick(int x, int y, const PointerMods& mods) override { HandlePress(x, y, mods); }
};

// One horizontal band of the area per frame; a press picks the band under
// the pointer.
class SwitchFramesControl : public SwitchControl {
 public:
  SwitchFramesControl(EditorDelegate* delegate, int x, int y, int parameterIndex, const FrameStrip& strip,
                      int blendMethod = kBlendAlpha);
  void HandlePress(int x, int y, const PointerMods& mods) override;
  const std::vector<Rect>& Bands() const { return bands_; }

 private:
  std::vector<Rect> bands_;
};

// A momentary switch: back to 0 when the pointer lets go.
class ContactControl : public SwitchControl {
 public:
  using SwitchControl::SwitchControl;
  void HandleRelease(int x, int y, const PointerMods& mods) override;
};
