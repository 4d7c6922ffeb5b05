// Controls drawn as one frame of an image strip: plain bitmaps, switches
// that step through their frames, switches split into bands, and momentary
// contacts.
#pragma once

#include <vector>

#include "ui/Control.h"

class IBitmapControl : public IControl {
 public:
  // The area is one frame of the strip with its top-left corner at (x, y).
  IBitmapControl(EditorDelegate* delegate, int x, int y, int parameterIndex, const IFrameStrip& strip,
                 int blendMethod = kBlendAlpha);
  bool Render(IGraphics& graphics) override;
  const IFrameStrip& Strip() const { return strip_; }
  // The 1-based frame the current value shows.
  int CurrentFrame() const;

 protected:
  IFrameStrip strip_;
};

// Each press steps to the next frame, wrapping to the first after the last.
class ISwitchControl : public IBitmapControl {
 public:
  using IBitmapControl::IBitmapControl;
  void HandlePress(int x, int y, const IPointerMods& mods) override;
  void HandleDoubleClick(int x, int y, const IPointerMods& mods) override { HandlePress(x, y, mods); }
};

// One horizontal band of the area per frame; a press picks the band under
// the pointer.
class ISwitchFramesControl : public ISwitchControl {
 public:
  ISwitchFramesControl(EditorDelegate* delegate, int x, int y, int parameterIndex, const IFrameStrip& strip,
                       int blendMethod = kBlendAlpha);
  void HandlePress(int x, int y, const IPointerMods& mods) override;
  const std::vector<IPanelRect>& Bands() const { return bands_; }

 private:
  std::vector<IPanelRect> bands_;
};

// A momentary switch: back to 0 when the pointer lets go.
class IContactControl : public ISwitchControl {
 public:
  using ISwitchControl::ISwitchControl;
  void HandleRelease(int x, int y, const IPointerMods& mods) override;
};
