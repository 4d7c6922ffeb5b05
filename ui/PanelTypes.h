// The small value records the editor passes around by value: rectangles,
// pointer modifiers, colours, text styles, blends and frame strips.
#pragma once

#include <algorithm>
#include <cstdint>

#include "plugin/Text.h"

namespace graphics {
class RasterBitmap;
class RasterCachedFont;
}  // namespace graphics

// Panel pixels from the panel's top-left corner; right and bottom exclusive.
struct IPanelRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  // All zero is the empty rectangle; one with no width or height covers
  // nothing either, and is treated alike.
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(int x, int y) const { return !IsEmpty() && x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const IPanelRect& other) const {
    return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
  }
  bool operator!=(const IPanelRect& other) const { return !(*this == other); }
};

inline IPanelRect Intersection(const IPanelRect& a, const IPanelRect& b) {
  if (a.IsEmpty() || b.IsEmpty()) return {};
  IPanelRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
  return r.IsEmpty() ? IPanelRect{} : r;
}

inline IPanelRect Union(const IPanelRect& a, const IPanelRect& b) {
  if (a.IsEmpty()) return b.IsEmpty() ? IPanelRect{} : b;
  if (b.IsEmpty()) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

struct IPointerMods {
  bool left = false;
  bool right = false;
  bool shift = false;
  bool control = false;
  bool alt = false;
};

struct IArgbColour {
  std::int32_t alpha = 255;
  std::int32_t red = 0;
  std::int32_t green = 0;
  std::int32_t blue = 0;

  std::uint32_t Packed() const {
    return static_cast<std::uint32_t>(alpha) << 24 | static_cast<std::uint32_t>(red) << 16 |
           static_cast<std::uint32_t>(green) << 8 | static_cast<std::uint32_t>(blue);
  }
};

enum ITextStyleKind { kTextNormal = 0, kTextBold = 1, kTextItalic = 2 };
enum ITextAlignment { kAlignLeft = 0, kAlignCentre = 1, kAlignRight = 2 };
enum ITextQuality { kQualityDefault = 0, kQualityNonAntialiased = 1, kQualityAntialiased = 2, kQualityClearType = 3 };

struct ITextStyle {
  char face[32] = "Verdana";
  std::int32_t size = 12;
  IArgbColour colour{255, 0, 0, 0};
  IArgbColour entryBackground{255, 255, 255, 255};
  IArgbColour entryText{255, 0, 0, 0};
  std::int32_t style = kTextNormal;
  std::int32_t alignment = kAlignCentre;
  std::int32_t orientation = 0;  // degrees
  std::int32_t quality = kQualityDefault;
  // Filled on first use from the process-wide font cache, which owns it.
  graphics::RasterCachedFont* cachedFont = nullptr;

  ITextStyle() = default;
  ITextStyle(const char* faceName, int pixels, IArgbColour textColour, int styleKind = kTextNormal,
             int align = kAlignCentre)
      : size(pixels), colour(textColour), style(styleKind), alignment(align) {
    CopyText(face, faceName);
  }
};

enum IBlendMethod { kBlendAlpha = 0, kBlendOpaque = 1, kBlendAdditive = 2, kBlendColourDodge = 3 };

struct IBlendSpec {
  std::int32_t method = kBlendAlpha;
  float weight = 1.0f;
};

// An image holding a control's frames, stacked top to bottom unless side by side.
struct IFrameStrip {
  graphics::RasterBitmap* image = nullptr;  // shared through the image cache, not owned
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t frames = 1;
  bool sideBySide = false;
};
