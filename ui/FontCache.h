// The fonts of the process, one per distinct size, orientation, style and
// face, shared by every editor and kept until the library is unloaded.
#pragma once

#include "graphics/RasterFont.h"
#include "ui/PanelTypes.h"

namespace fontcache {

// The font for the style (the quality is not part of the key: the first
// style to ask decides it); made on a miss. Null when no system font can
// be made.
graphics::RasterCachedFont* FindOrCreate(const TextStyle& style);
int Count();

}  // namespace fontcache
