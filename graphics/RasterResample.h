// Resizing bitmaps by area averaging: the panel's in-between sizes are made
// once from the double-size art, shrunk by a factor between a half and one,
// where picking the nearest pixel would drop whole rows and columns.
#pragma once

#include <memory>

#include "graphics/RasterBitmap.h"

namespace graphics {

// Fills `to` of destination with `from` of source stretched over it. Each
// destination pixel is the mean of the source pixels under it, weighted by
// how much of each it covers and by their alpha, so that transparent pixels
// lend no colour to their neighbours. Source pixels outside the source
// bitmap do not count, destination pixels outside the destination bitmap are
// not written; empty rectangles, bitmaps without pixels and a bitmap given
// as its own source do nothing. Enlarging works but only blends at the seams.
void ResampleArea(const RasterBitmap& source, const Rect& from, RasterBitmap& destination, const Rect& to);

// A strip of `frames` frames stacked top to bottom, each resampled on its own
// to `width` x `frameHeight`, so that no frame bleeds into the next. In a
// strip whose height the count does not divide, each border falls on the
// nearest row. Null when the counts or sizes are not positive, a frame
// would be less than a pixel high, or the bitmap cannot be made.
std::unique_ptr<RasterMemBitmap> ResampleFrames(const RasterBitmap& source, int frames, int width, int frameHeight);

}  // namespace graphics
