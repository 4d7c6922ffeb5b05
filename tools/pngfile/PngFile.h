// Writes a bitmap to a PNG file as the screen would show it (opaque RGB).
#pragma once

#include <string>

#include "graphics/RasterBitmap.h"

namespace snapshot {

// False (and no file left behind) when the file cannot be written.
bool WritePngFile(const graphics::RasterBitmap& bitmap, const std::string& path, std::string* error);

}  // namespace snapshot
