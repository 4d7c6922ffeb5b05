#include <cstdlib>
#include <cstring>

#include "graphics/RasterSysBitmap.h"

namespace graphics {

namespace {
constexpr std::size_t kPixelAlignment = 64;
}

bool RasterSysBitmap::CreatePixels() {
  const std::size_t bytes = static_cast<std::size_t>(allocatedWidth_) * allocatedHeight_ * 4;
  // aligned_alloc wants a size that is a multiple of the alignment.
  const std::size_t rounded = (bytes + kPixelAlignment - 1) & ~(kPixelAlignment - 1);
  section_ = std::aligned_alloc(kPixelAlignment, rounded);
  pixels_ = static_cast<std::uint32_t*>(section_);
  // Cleared like a new system bitmap section, so nothing stale ever shows.
  if (pixels_) std::memset(pixels_, 0, rounded);
  return pixels_ != nullptr;
}

void RasterSysBitmap::ReleasePixels() {
  std::free(section_);
  section_ = nullptr;
  pixels_ = nullptr;
  width_ = 0;
  height_ = 0;
  allocatedWidth_ = 0;
  allocatedHeight_ = 0;
}

}  // namespace graphics
