// The bitmap the system can draw into and present: a device-independent
// bitmap section with its own drawing context on Windows, plain memory that
// the X11 window code uploads on Linux. Rows are top-down, padded to 4 pixels.
#pragma once

#include "graphics/RasterBitmap.h"

namespace graphics {

class RasterSysBitmap : public RasterBitmap {
 public:
  RasterSysBitmap() = default;
  RasterSysBitmap(int width, int height);
  ~RasterSysBitmap() override;
  RasterSysBitmap(const RasterSysBitmap&) = delete;
  RasterSysBitmap& operator=(const RasterSysBitmap&) = delete;

  std::uint32_t* Pixels() const override { return pixels_; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  int RowSpan() const override { return allocatedWidth_; }
  bool IsFlipped() const override { return false; }
  // Shrinking, or growing within the allocated size, keeps the pixels in
  // place; anything else makes new ones. False for an unchanged size and
  // for a zero or negative one (which leaves no pixels).
  bool Resize(int width, int height) override;
  void* DeviceContext() const override { return context_; }
  int Query(int, void*) const override { return 0; }

  int AllocatedWidth() const { return allocatedWidth_; }
  int AllocatedHeight() const { return allocatedHeight_; }

 private:
  // Makes pixels of allocatedWidth_ x allocatedHeight_; false on failure.
  bool CreatePixels();
  void ReleasePixels();

  int width_ = 0;
  int height_ = 0;
  void* context_ = nullptr;
  std::uint32_t* pixels_ = nullptr;
  int allocatedWidth_ = 0;
  int allocatedHeight_ = 0;
  void* section_ = nullptr;
  void* previousObject_ = nullptr;
};

}  // namespace graphics
