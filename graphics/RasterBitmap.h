// 32-bit bitmaps the editor draws into. A pixel is one word 0xAARRGGBB
// stored as the bytes blue, green, red, alpha; colours are straight alpha.
#pragma once

#include <cstddef>
#include <cstdint>

#include "graphics/Rect.h"

namespace graphics {

// The blits read a pixel as a word and as four bytes; both views agree only
// on little-endian machines, which every target of this product is.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pixel words are little-endian");

// Byte positions of the channels inside a pixel in memory.
constexpr int kBlueByte = 0;
constexpr int kGreenByte = 1;
constexpr int kRedByte = 2;
constexpr int kAlphaByte = 3;

constexpr std::uint32_t PackColour(int alpha, int red, int green, int blue) {
  return static_cast<std::uint32_t>(alpha) << 24 | static_cast<std::uint32_t>(red) << 16 |
         static_cast<std::uint32_t>(green) << 8 | static_cast<std::uint32_t>(blue);
}
constexpr int AlphaOf(std::uint32_t colour) { return static_cast<int>(colour >> 24); }
constexpr int RedOf(std::uint32_t colour) { return static_cast<int>(colour >> 16 & 0xFF); }
constexpr int GreenOf(std::uint32_t colour) { return static_cast<int>(colour >> 8 & 0xFF); }
constexpr int BlueOf(std::uint32_t colour) { return static_cast<int>(colour & 0xFF); }

class RasterBitmap {
 public:
  virtual ~RasterBitmap() = default;
  // Address of the top-left pixel; null when the bitmap has no storage.
  virtual std::uint32_t* Pixels() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Pixels from one row to the next.
  virtual int RowSpan() const = 0;
  // True when rows are stored bottom-up, so that the next row lies one span
  // below the pointer.
  virtual bool IsFlipped() const = 0;
  // True when the size changed.
  virtual bool Resize(int width, int height) = 0;
  // The system drawing context of the bitmap, or null where it has none.
  virtual void* DeviceContext() const = 0;
  virtual int Query(int id, void* data) const = 0;

  // Address of row y, honouring the storage order.
  std::uint32_t* Row(int y) const {
    const std::ptrdiff_t step = static_cast<std::ptrdiff_t>(RowSpan()) * (IsFlipped() ? -y : y);
    return Pixels() + step;
  }
};

// Pixels in ordinary heap memory, 64-byte aligned, rows padded to 4 pixels.
class RasterMemBitmap : public RasterBitmap {
 public:
  RasterMemBitmap() = default;
  RasterMemBitmap(int width, int height);
  ~RasterMemBitmap() override;
  RasterMemBitmap(const RasterMemBitmap&) = delete;
  RasterMemBitmap& operator=(const RasterMemBitmap&) = delete;

  std::uint32_t* Pixels() const override;
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  int RowSpan() const override;
  bool IsFlipped() const override { return false; }
  bool Resize(int width, int height) override;
  void* DeviceContext() const override { return nullptr; }
  int Query(int, void*) const override { return 0; }

  // Bytes usable for pixels (the block itself is larger by the alignment slack).
  std::size_t AllocatedBytes() const { return allocatedBytes_; }

 private:
  void* storage_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  std::size_t allocatedBytes_ = 0;
  int alignMask_ = 3;  // row span rounds the width up to a multiple of 4
};

}  // namespace graphics
