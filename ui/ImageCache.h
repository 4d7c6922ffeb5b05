// The decoded images of the process, shared by every editor: each resource
// is decoded once and lives until the library is unloaded.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "graphics/RasterBitmap.h"

// The 200 % art of image `id` is resource id + kDoubleArtOffset, and its
// file name has "@2x" before the extension.
constexpr int kDoubleArtOffset = 100;
std::string DoubleArtName(const char* name);

namespace imagecache {

// The key the image `id` is cached under at `percent` (other than 100).
constexpr int ZoomedKey(int id, int percent) { return percent * 100000 + id; }

// The cached image of resource `id`, or null.
graphics::RasterBitmap* Find(int id);
// Hands `image` to the cache under `id` (a second image for the same id is
// kept too, but Find keeps answering the first).
void Add(std::unique_ptr<graphics::RasterBitmap> image, int id);
// Find, else load with `load` and add; all under the cache's lock, so two
// editors never decode the same image twice. Null when loading fails.
graphics::RasterBitmap* FindOrLoad(int id, const std::function<std::unique_ptr<graphics::RasterBitmap>()>& load);
int Count();

}  // namespace imagecache
