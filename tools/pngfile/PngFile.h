// Writes a bitmap to a PNG file: opaque RGB (as the screen shows it) or RGBA
// with the bitmap's straight alpha. Rows are stored unfiltered and deflated
// hard, which makes the files small for drawn art and quick to decode.
#pragma once

#include <string>

#include "graphics/RasterBitmap.h"

namespace pngfile {

enum class Channels { kOpaque, kWithAlpha };

// False (and no file left behind) when the file cannot be written.
bool WritePngFile(const graphics::RasterBitmap& bitmap, const std::string& path, std::string* error,
                  Channels channels = Channels::kOpaque);

}  // namespace pngfile
