#include "graphics/RasterBitmap.h"

#include <cstdint>
#include <cstdlib>

namespace graphics {

namespace {
constexpr std::size_t kPixelAlignment = 64;
constexpr std::size_t kAlignmentSlack = kPixelAlignment - 1;
// Leaves room for the slack and the quarter of growth on top.
constexpr std::size_t kLargestBytes = (SIZE_MAX - kAlignmentSlack) / 5 * 4;
}  // namespace

RasterMemBitmap::RasterMemBitmap(int width, int height) { Resize(width, height); }

RasterMemBitmap::~RasterMemBitmap() { std::free(storage_); }

std::uint32_t* RasterMemBitmap::Pixels() const {
  if (!storage_) return nullptr;
  const auto address = reinterpret_cast<std::uintptr_t>(storage_);
  return reinterpret_cast<std::uint32_t*>((address + kAlignmentSlack) & ~std::uintptr_t{kAlignmentSlack});
}

int RasterMemBitmap::RowSpan() const { return (width_ + alignMask_) & ~alignMask_; }

bool RasterMemBitmap::Resize(int width, int height) {
  if (width == width_ && height == height_) return false;
  if (width <= 0 || height <= 0) {
    std::free(storage_);
    storage_ = nullptr;
    allocatedBytes_ = 0;
    width_ = 0;
    height_ = 0;
    return true;
  }
  const std::size_t span = (static_cast<std::size_t>(width) + alignMask_) & ~static_cast<std::size_t>(alignMask_);
  // A size whose byte count does not fit is treated like a failed allocation.
  if (span > kLargestBytes / 4 / static_cast<std::size_t>(height)) {
    std::free(storage_);
    storage_ = nullptr;
    allocatedBytes_ = 0;
    width_ = 0;
    height_ = 0;
    return true;
  }
  const std::size_t needed = static_cast<std::size_t>(height) * span * 4;
  if (!storage_) {
    storage_ = std::malloc(needed + kAlignmentSlack);
    allocatedBytes_ = storage_ ? needed : 0;
  } else if (allocatedBytes_ < needed) {
    // Grow by a quarter more than asked, so that a bitmap resized a little at
    // a time is not reallocated every time.
    const std::size_t grown = needed + needed / 4;
    void* moved = std::realloc(storage_, grown + kAlignmentSlack);
    if (moved) {
      storage_ = moved;
      allocatedBytes_ = grown;
    } else {
      std::free(storage_);
      storage_ = std::malloc(needed + kAlignmentSlack);
      allocatedBytes_ = storage_ ? needed : 0;
    }
  }
  if (storage_) {
    width_ = width;
    height_ = height;
  } else {
    width_ = 0;
    height_ = 0;
  }
  return true;
}

}  // namespace graphics
