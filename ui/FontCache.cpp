#include "ui/FontCache.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace fontcache {

namespace {

constexpr int kBoldWeight = 700;
constexpr int kNormalWeight = 400;

struct Entry {
  int size;
  int orientation;
  int style;
  char face[32];
  std::unique_ptr<graphics::RasterCachedFont> font;
};

struct Cache {
  std::mutex lock;
  std::vector<Entry> entries;
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

graphics::RasterFontQuality QualityOf(int quality) {
  switch (quality) {
    case kQualityNonAntialiased: return graphics::RasterFontQuality::kNonAntialiased;
    case kQualityAntialiased: return graphics::RasterFontQuality::kAntialiased;
    case kQualityClearType: return graphics::RasterFontQuality::kClearType;
    default: return graphics::RasterFontQuality::kSystemDefault;
  }
}

}  // namespace

graphics::RasterCachedFont* FindOrCreate(const TextStyle& style) {
  Cache& cache = TheCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  for (const Entry& entry : cache.entries) {
    if (entry.size == style.size && entry.orientation == style.orientation && entry.style == style.style &&
        std::strncmp(entry.face, style.face, sizeof entry.face) == 0)
      return entry.font.get();
  }
  graphics::RasterFontRequest request;
  request.face = style.face;
  request.height = style.size;
  request.weight = style.style == kTextBold ? kBoldWeight : kNormalWeight;
  request.italic = style.style == kTextItalic;
  request.orientation = style.orientation * 10;
  request.quality = QualityOf(style.quality);
  graphics::RasterFontHandle handle = graphics::CreateSystemFont(request);
  if (!handle) return nullptr;
  Entry entry{style.size, style.orientation, style.style, {}, std::make_unique<graphics::RasterCachedFont>()};
  CopyText(entry.face, style.face);
  entry.font->SetFont(handle, graphics::kFontOwnsHandle | graphics::kFontPrefersNative);
  cache.entries.push_back(std::move(entry));
  return cache.entries.back().font.get();
}

int Count() {
  Cache& cache = TheCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  return static_cast<int>(cache.entries.size());
}

}  // namespace fontcache
