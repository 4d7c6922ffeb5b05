#include "graphics/RasterBlit.h"

#include <algorithm>
#include <cstring>

namespace graphics {

namespace {

constexpr std::uint32_t kHalfMask = 0x7F7F7F7F;
constexpr std::uint32_t kQuarterMask = 0x3F3F3F3F;

using Byte = std::uint8_t;

// The weight as a fraction of 256, as the per-byte arithmetic uses it.
int WeightLevel(float weight) { return static_cast<int>(weight * 256.0f); }

// Plain copy at level a of 256: every byte, alpha included.
inline void MixBytes(Byte* d, const Byte* s, int a) {
  const int keep = 256 - a;
  for (int i = 0; i < 4; ++i) d[i] = static_cast<Byte>(s[i] + (d[i] - s[i]) * keep / 256);
}

// Copy weighted by the source pixel's own alpha.
inline void MixBytesBySourceAlpha(Byte* d, const Byte* s, float weight, int a) {
  const int sa = s[kAlphaByte];
  if (sa == 0) return;
  const int da = d[kAlphaByte];
  if (weight == 1.0f) {
    if (sa == 255) {
      d[kBlueByte] = s[kBlueByte];
      d[kGreenByte] = s[kGreenByte];
      d[kRedByte] = s[kRedByte];
      d[kAlphaByte] = 255;
      return;
    }
    for (int i = 0; i < 3; ++i) d[i] = static_cast<Byte>(s[i] + (d[i] - s[i]) * (255 - sa) / 256);
    d[kAlphaByte] = static_cast<Byte>(std::min(255, sa + da));
    return;
  }
  const int h = a * (sa + 1) / 256;
  for (int i = 0; i < 3; ++i) d[i] = static_cast<Byte>(s[i] + (d[i] - s[i]) * (256 - h) / 256);
  d[kAlphaByte] = static_cast<Byte>(std::min(255, h + da));
}

// Level of the source for the arithmetic modes: the weight, times the
// source alpha when asked.
inline int ArithmeticLevel(const Byte* s, int a, bool useAlpha) { return useAlpha ? a * (s[kAlphaByte] + 1) / 256 : a; }

// Adds the weighted source to the destination, saturating.
inline void AddBytes(Byte* d, const Byte* s, int level, bool useAlpha) {
  for (int i = 0; i < 3; ++i) d[i] = static_cast<Byte>(std::min(255, d[i] + s[i] * level / 256));
  if (!useAlpha)
    d[kAlphaByte] = static_cast<Byte>(std::min(255, d[kAlphaByte] + s[kAlphaByte] * level / 256));
  else
    d[kAlphaByte] = static_cast<Byte>(std::min(255, d[kAlphaByte] + level));
}

// Brightens the destination by the weighted source: d / (1 - s).
inline void DodgeBytes(Byte* d, const Byte* s, int level, bool useAlpha) {
  for (int i = 0; i < 3; ++i) {
    const int weighted = s[i] * level / 256;
    d[i] = static_cast<Byte>(weighted >= 255 ? (d[i] ? 255 : 0) : std::min(255, d[i] * 255 / (255 - weighted)));
  }
  if (useAlpha) d[kAlphaByte] = static_cast<Byte>(std::min(255, d[kAlphaByte] + level));
}

void ArithmeticPixel(Byte* d, const Byte* s, int operation, int a, bool useAlpha) {
  const int level = ArithmeticLevel(s, a, useAlpha);
  if (level <= 0) return;
  if (operation == kBlitAdditive)
    AddBytes(d, s, level, useAlpha);
  else if (operation == kBlitColourDodge)
    DodgeBytes(d, s, level, useAlpha);
}

}  // namespace

void CopyArea(RasterBitmap* destination, const RasterBitmap* source, int x, int y, const Rect* sourceRect, float weight,
              int mode) {
  if (!destination || !source || weight == 0.0f) return;
  Rect from = sourceRect ? *sourceRect : Rect{0, 0, source->Width(), source->Height()};
  from.left = std::max(from.left, 0);
  from.top = std::max(from.top, 0);
  from.right = std::min(from.right, source->Width());
  from.bottom = std::min(from.bottom, source->Height());
  // Whatever lies left of or above the destination is cut from the source too.
  if (x < 0) {
    from.left -= x;
    x = 0;
  }
  if (y < 0) {
    from.top -= y;
    y = 0;
  }
  const int width = std::min(from.right - from.left, destination->Width() - x);
  const int height = std::min(from.bottom - from.top, destination->Height() - y);
  if (width <= 0 || height <= 0) return;
  if (!destination->Pixels() || !source->Pixels()) return;

  const int operation = mode & kBlitOperationMask;
  const bool useAlpha = (mode & kBlitUseSourceAlpha) != 0;
  // Weights above full strength are held at full strength.
  const int a = std::min(WeightLevel(weight), 256);
  if (operation == kBlitCopy && !useAlpha && a < 1) return;

  for (int row = 0; row < height; ++row) {
    std::uint32_t* d = destination->Row(y + row) + x;
    const std::uint32_t* s = source->Row(from.top + row) + from.left;
    if (operation == kBlitCopy && !useAlpha) {
      if (weight == 1.0f) {
        std::memcpy(d, s, static_cast<std::size_t>(width) * 4);
      } else if (weight == 0.5f) {
        for (int i = 0; i < width; ++i) d[i] = (d[i] >> 1 & kHalfMask) + (s[i] >> 1 & kHalfMask);
      } else {
        for (int i = 0; i < width; ++i)
          MixBytes(reinterpret_cast<Byte*>(d + i), reinterpret_cast<const Byte*>(s + i), a);
      }
    } else if (operation == kBlitCopy) {
      for (int i = 0; i < width; ++i)
        MixBytesBySourceAlpha(reinterpret_cast<Byte*>(d + i), reinterpret_cast<const Byte*>(s + i), weight, a);
    } else {
      for (int i = 0; i < width; ++i)
        ArithmeticPixel(reinterpret_cast<Byte*>(d + i), reinterpret_cast<const Byte*>(s + i), operation, a, useAlpha);
    }
  }
}

void PaintRect(RasterBitmap* bitmap, int x, int y, int width, int height, std::uint32_t colour, float weight,
               int mode) {
  if (!bitmap || !bitmap->Pixels()) return;
  if (mode & kBlitUseSourceAlpha) weight *= AlphaOf(colour) / 255.0f;
  if (weight == 0.0f) return;
  const int left = std::max(x, 0);
  const int top = std::max(y, 0);
  const int right = std::min(x + width, bitmap->Width());
  const int bottom = std::min(y + height, bitmap->Height());
  if (right <= left || bottom <= top) return;

  const int operation = mode & kBlitOperationMask;
  const int a = std::min(WeightLevel(weight), 256);
  const std::uint32_t halfColour = colour >> 1 & kHalfMask;
  const std::uint32_t quarterColour = colour >> 2 & kQuarterMask;
  const Byte* s = reinterpret_cast<const Byte*>(&colour);
  for (int row = top; row < bottom; ++row) {
    std::uint32_t* d = bitmap->Row(row);
    if (operation != kBlitCopy) {
      // The colour's alpha is already in the weight; the arithmetic modes
      // take the weight alone.
      for (int i = left; i < right; ++i) ArithmeticPixel(reinterpret_cast<Byte*>(d + i), s, operation, a, false);
    } else if (weight == 1.0f) {
      std::fill(d + left, d + right, colour);
    } else if (weight == 0.5f) {
      for (int i = left; i < right; ++i) d[i] = halfColour + (d[i] >> 1 & kHalfMask);
    } else if (weight == 0.25f) {
      for (int i = left; i < right; ++i) d[i] = quarterColour + (d[i] >> 1 & kHalfMask) + (d[i] >> 2 & kQuarterMask);
    } else if (a >= 1) {
      for (int i = left; i < right; ++i) MixBytes(reinterpret_cast<Byte*>(d + i), s, a);
    }
  }
}

}  // namespace graphics
