#include "ui/ImageCache.h"

#include <mutex>
#include <vector>

std::string DoubleArtName(const char* name) {
  std::string text = name ? name : "";
  const std::size_t dot = text.find_last_of('.'), slash = text.find_last_of("/\\");
  const std::size_t at = dot == std::string::npos || (slash != std::string::npos && dot < slash) ? text.size() : dot;
  return text.insert(at, "@2x");
}

namespace imagecache {

namespace {

struct Entry {
  int id;
  std::unique_ptr<graphics::RasterBitmap> image;
};

struct Cache {
  std::mutex lock;
  std::vector<Entry> entries;
};

// Built on first use and destroyed at unload, with every image in it.
Cache& TheCache() {
  static Cache cache;
  return cache;
}

graphics::RasterBitmap* FindLocked(Cache& cache, int id) {
  for (const Entry& entry : cache.entries)
    if (entry.id == id) return entry.image.get();
  return nullptr;
}

}  // namespace

graphics::RasterBitmap* Find(int id) {
  Cache& cache = TheCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  return FindLocked(cache, id);
}

void Add(std::unique_ptr<graphics::RasterBitmap> image, int id) {
  if (!image) return;
  Cache& cache = TheCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  cache.entries.push_back({id, std::move(image)});
}

graphics::RasterBitmap* FindOrLoad(int id, const std::function<std::unique_ptr<graphics::RasterBitmap>()>& load) {
  Cache& cache = TheCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  if (graphics::RasterBitmap* found = FindLocked(cache, id)) return found;
  std::unique_ptr<graphics::RasterBitmap> image = load();
  if (!image) return nullptr;
  cache.entries.push_back({id, std::move(image)});
  return cache.entries.back().image.get();
}

int Count() {
  Cache& cache = TheCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  return static_cast<int>(cache.entries.size());
}

}  // namespace imagecache
