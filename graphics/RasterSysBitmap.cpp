#include "graphics/RasterSysBitmap.h"

namespace graphics {

namespace {
constexpr int kLargestSide = 1 << 16;
}

RasterSysBitmap::RasterSysBitmap(int width, int height) { Resize(width, height); }

RasterSysBitmap::~RasterSysBitmap() { ReleasePixels(); }

bool RasterSysBitmap::Resize(int width, int height) {
  if (width == width_ && height == height_) return false;
  if (pixels_ && width > 0 && height > 0 && width <= allocatedWidth_ && height <= allocatedHeight_) {
    width_ = width;
    height_ = height;
    return true;
  }
  ReleasePixels();
  if (width <= 0 || height <= 0) return false;
  // Larger than any system bitmap can be: treated like a failed creation.
  if (width > kLargestSide || height > kLargestSide) return true;
  allocatedWidth_ = (width + 3) & ~3;
  allocatedHeight_ = height;
  if (!CreatePixels()) {
    ReleasePixels();
    return true;
  }
  width_ = width;
  height_ = height;
  return true;
}

}  // namespace graphics
