// The small value records the editor passes around by value: rectangles,
// pointer modifiers, colours, text styles, blends and frame strips.
#pragma once

#include <algorithm>
#include <cstdint>

#include "graphics/Rect.h"
#include "plugin/Text.h"

namespace graphics {
class RasterBitmap;
class RasterCachedFont;
}  // namespace graphics

using graphics::Rect;

struct PointerMods {
  bool left = false;
  bool right = false;
  bool shift = false;
  bool control = false;
  bool alt = false;
};

struct ArgbColour {
  std::int32_t alpha = 255;
  std::int32_t red = 0;
  std::int32_t green = 0;
  std::int32_t blue = 0;

  std::uint32_t Packed() const {
    return static_cast<std::uint32_t>(alpha) << 24 | static_cast<std::uint32_t>(red) << 16 |
           static_cast<std::uint32_t>(green) << 8 | static_cast<std::uint32_t>(blue);
  }
};

enum TextStyleKind { kTextNormal = 0, kTextBold = 1, kTextItalic = 2 };
enum TextAlignment { kAlignLeft = 0, kAlignCentre = 1, kAlignRight = 2 };
enum TextQuality { kQualityDefault = 0, kQualityNonAntialiased = 1, kQualityAntialiased = 2, kQualityClearType = 3 };

struct TextStyle {
  char face[32] = "Verdana";
  std::int32_t size = 12;
  ArgbColour colour{255, 0, 0, 0};
  ArgbColour entryBackground{255, 255, 255, 255};
  ArgbColour entryText{255, 0, 0, 0};
  std::int32_t style = kTextNormal;
  std::int32_t alignment = kAlignCentre;
  std::int32_t orientation = 0;  // degrees
  std::int32_t quality = kQualityDefault;
  // Filled on first use from the process-wide font cache, which owns it.
  graphics::RasterCachedFont* cachedFont = nullptr;

  TextStyle() = default;
  TextStyle(const char* faceName, int pixels, ArgbColour textColour, int styleKind = kTextNormal,
            int align = kAlignCentre)
      : size(pixels), colour(textColour), style(styleKind), alignment(align) {
    CopyText(face, faceName);
  }
};

enum BlendMethod { kBlendAlpha = 0, kBlendOpaque = 1, kBlendAdditive = 2, kBlendColourDodge = 3 };

struct BlendSpec {
  std::int32_t method = kBlendAlpha;
  float weight = 1.0f;
};

// An image holding a control's frames, stacked top to bottom unless side by side.
struct FrameStrip {
  graphics::RasterBitmap* image = nullptr;  // shared through the image cache, not owned
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t frames = 1;
  bool sideBySide = false;
};
