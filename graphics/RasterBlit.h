// Copies and fills with the blend rules the editor's drawing relies on.
#pragma once

#include <cstdint>

#include "graphics/RasterBitmap.h"

namespace graphics {

// Low byte of a blit mode: how source and destination combine.
constexpr int kBlitCopy = 0;
constexpr int kBlitAdditive = 1;
constexpr int kBlitColourDodge = 2;
constexpr int kBlitOperationMask = 0xFF;
// Weighs every pixel by its own (source) alpha.
constexpr int kBlitUseSourceAlpha = 0x10000;

// Copies sourceRect of source (all of it when null) to (x, y) of destination.
// Weight 1 is full strength; weight 0, missing bitmaps and empty overlaps do
// nothing.
void CopyArea(RasterBitmap* destination, const RasterBitmap* source, int x, int y, const Rect* sourceRect, float weight,
              int mode);

// Fills a rectangle with a packed 0xAARRGGBB colour. With kBlitUseSourceAlpha
// the colour's alpha scales the weight first.
void PaintRect(RasterBitmap* bitmap, int x, int y, int width, int height, std::uint32_t colour, float weight, int mode);

}  // namespace graphics
