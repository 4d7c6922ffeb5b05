#include "graphics/RasterResample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace graphics {

namespace {

// The source pixels under each destination pixel along one axis, and the
// share of the destination pixel each of them covers (the shares add up to
// one). Worked out once per axis, so the pixel loops only multiply and add.
struct AxisTaps {
  std::vector<int> first;
  std::vector<int> count;
  std::vector<int> start;  // index of the first share in `shares`
  std::vector<float> shares;
};

// Taps for destination pixels [begin, end) when [toStart, toStart + toLength)
// shows [fromStart, fromStart + fromLength) of a source `sourceSize` long.
// A pixel whose footprint misses the source entirely gets no taps.
AxisTaps MeasureAxis(std::int64_t fromStart, std::int64_t fromLength, std::int64_t toStart, std::int64_t toLength,
                     int sourceSize, int begin, int end) {
  AxisTaps taps;
  const int pixels = end - begin;
  taps.first.resize(pixels);
  taps.count.resize(pixels);
  taps.start.resize(pixels);
  const double scale = static_cast<double>(fromLength) / static_cast<double>(toLength);
  std::vector<double> covered;
  for (int d = begin; d < end; ++d) {
    // Both edges from the same formula, so neighbouring footprints meet exactly.
    const double low = static_cast<double>(fromStart) + static_cast<double>(d - toStart) * scale;
    const double high = static_cast<double>(fromStart) + static_cast<double>(d + 1 - toStart) * scale;
    const int first = static_cast<int>(std::clamp(std::floor(low), 0.0, static_cast<double>(sourceSize)));
    const int last = static_cast<int>(std::clamp(std::ceil(high), 0.0, static_cast<double>(sourceSize)));
    covered.clear();
    double total = 0.0;
    for (int s = first; s < last; ++s) {
      const double share = std::min<double>(s + 1, high) - std::max<double>(s, low);
      covered.push_back(std::max(share, 0.0));
      total += covered.back();
    }
    const int i = d - begin;
    taps.first[i] = first;
    taps.start[i] = static_cast<int>(taps.shares.size());
    taps.count[i] = total > 0.0 ? static_cast<int>(covered.size()) : 0;
    if (total > 0.0)
      for (double share : covered) taps.shares.push_back(static_cast<float>(share / total));
  }
  return taps;
}

// A channel total back to a byte, to the nearest step.
inline std::uint32_t ToByte(float value) { return static_cast<std::uint32_t>(std::clamp(value + 0.5f, 0.0f, 255.0f)); }

}  // namespace

void ResampleArea(const RasterBitmap& source, const Rect& from, RasterBitmap& destination, const Rect& to) {
  if (from.IsEmpty() || to.IsEmpty() || &source == &destination) return;
  if (!source.Pixels() || !destination.Pixels()) return;
  const Rect written = Intersection(to, {0, 0, destination.Width(), destination.Height()});
  if (written.IsEmpty()) return;
  // Lengths in 64 bits: a rectangle may span more than an int holds.
  const std::int64_t fromWidth = static_cast<std::int64_t>(from.right) - from.left;
  const std::int64_t fromHeight = static_cast<std::int64_t>(from.bottom) - from.top;
  const std::int64_t toWidth = static_cast<std::int64_t>(to.right) - to.left;
  const std::int64_t toHeight = static_cast<std::int64_t>(to.bottom) - to.top;
  const AxisTaps columns =
      MeasureAxis(from.left, fromWidth, to.left, toWidth, source.Width(), written.left, written.right);
  const AxisTaps rows =
      MeasureAxis(from.top, fromHeight, to.top, toHeight, source.Height(), written.top, written.bottom);

  // The source columns any destination column reads.
  int firstColumn = source.Width();
  int endColumn = 0;
  for (std::size_t i = 0; i < columns.first.size(); ++i) {
    if (columns.count[i] == 0) continue;
    firstColumn = std::min(firstColumn, columns.first[i]);
    endColumn = std::max(endColumn, columns.first[i] + columns.count[i]);
  }
  if (firstColumn >= endColumn) return;

  // One destination row at a time: the source rows under it are summed into
  // one row of alpha-weighted channels, which the columns then share out.
  // Alpha, red, green, blue per source column, colours times alpha.
  std::vector<float> mixed(static_cast<std::size_t>(endColumn - firstColumn) * 4);
  for (int y = written.top; y < written.bottom; ++y) {
    const int row = y - written.top;
    if (rows.count[row] == 0) continue;
    std::fill(mixed.begin(), mixed.end(), 0.0f);
    for (int tap = 0; tap < rows.count[row]; ++tap) {
      const float share = rows.shares[rows.start[row] + tap];
      const std::uint32_t* in = source.Row(rows.first[row] + tap);
      float* sum = mixed.data();
      for (int x = firstColumn; x < endColumn; ++x, sum += 4) {
        const std::uint32_t pixel = in[x];
        const float weight = share * static_cast<float>(AlphaOf(pixel));
        sum[0] += weight;
        sum[1] += weight * static_cast<float>(RedOf(pixel));
        sum[2] += weight * static_cast<float>(GreenOf(pixel));
        sum[3] += weight * static_cast<float>(BlueOf(pixel));
      }
    }
    std::uint32_t* out = destination.Row(y);
    for (int x = written.left; x < written.right; ++x) {
      const int column = x - written.left;
      const int count = columns.count[column];
      if (count == 0) continue;
      const float* shares = &columns.shares[columns.start[column]];
      const float* sum = &mixed[static_cast<std::size_t>(columns.first[column] - firstColumn) * 4];
      float alpha = 0.0f, red = 0.0f, green = 0.0f, blue = 0.0f;
      for (int tap = 0; tap < count; ++tap, sum += 4) {
        alpha += shares[tap] * sum[0];
        red += shares[tap] * sum[1];
        green += shares[tap] * sum[2];
        blue += shares[tap] * sum[3];
      }
      if (alpha <= 0.0f) {
        out[x] = 0;
        continue;
      }
      // Back to straight alpha: the colours were summed times their alpha.
      out[x] = ToByte(alpha) << 24 | ToByte(red / alpha) << 16 | ToByte(green / alpha) << 8 | ToByte(blue / alpha);
    }
  }
}

std::unique_ptr<RasterMemBitmap> ResampleFrames(const RasterBitmap& source, int frames, int width, int frameHeight) {
  if (frames <= 0 || width <= 0 || frameHeight <= 0 || !source.Pixels()) return nullptr;
  const std::int64_t sourceHeight = source.Height();
  if (source.Width() <= 0 || sourceHeight < frames) return nullptr;
  if (static_cast<std::int64_t>(frames) * frameHeight > std::numeric_limits<int>::max()) return nullptr;
  auto strip = std::make_unique<RasterMemBitmap>(width, frames * frameHeight);
  if (!strip->Pixels()) return nullptr;
  // Row n x height / frames, to the nearest row.
  const auto border = [&](std::int64_t n) { return static_cast<int>((2 * n * sourceHeight + frames) / (2 * frames)); };
  for (int frame = 0; frame < frames; ++frame) {
    const Rect from{0, border(frame), source.Width(), border(frame + 1)};
    const Rect to{0, frame * frameHeight, width, (frame + 1) * frameHeight};
    ResampleArea(source, from, *strip, to);
  }
  return strip;
}

}  // namespace graphics
