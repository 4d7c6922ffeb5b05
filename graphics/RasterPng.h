// PNG images decoded into memory bitmaps.
#pragma once

#include <cstddef>
#include <memory>

#include "graphics/RasterBitmap.h"

namespace graphics {

// Decodes a whole PNG file held in memory. Palette, grey, transparency and
// 16-bit images all come out as 8-bit straight-alpha pixels; images without
// alpha are opaque. Null for anything libpng rejects: no partial image.
std::unique_ptr<RasterMemBitmap> DecodePng(const void* data, std::size_t size);

// Decodes the resource of type "PNG" with the given id in module; null when
// it is missing, too short or not a valid PNG.
std::unique_ptr<RasterMemBitmap> LoadPngResource(void* module, int id);

}  // namespace graphics
