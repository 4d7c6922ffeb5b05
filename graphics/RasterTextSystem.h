// What the operating system does for text: making fonts from a face name,
// rendering one character white on black, and drawing text by itself where
// it can. GDI on Windows; FreeType with fontconfig on Linux.
#pragma once

#include <cstdint>

#include "graphics/RasterBitmap.h"

namespace graphics {

// A system font: an HFONT on Windows, a face set to its size on Linux.
using RasterFontHandle = void*;

enum class RasterFontQuality { kSystemDefault = 0, kNonAntialiased = 1, kAntialiased = 2, kClearType = 3 };

struct RasterFontRequest {
  const char* face = "Verdana";
  // Cell height in pixels (ascent plus descent).
  int height = 12;
  int weight = 400;  // 700 is bold
  bool italic = false;
  // Text angle in tenths of a degree.
  int orientation = 0;
  RasterFontQuality quality = RasterFontQuality::kSystemDefault;
};

// Null when no font can be made. A face that is not installed falls back
// to an installed one, as the system would.
RasterFontHandle CreateSystemFont(const RasterFontRequest& request);
void DeleteSystemFont(RasterFontHandle font);

// Distance from one line of text to the next, in pixels.
int SystemFontLineHeight(RasterFontHandle font);

// Clears canvas to opaque black and draws one character in white with its
// pen at (originX, 0), the top of the line. Returns the advance width, or
// -1 when the character cannot be drawn.
int RenderSystemGlyph(RasterFontHandle font, std::uint32_t character, RasterBitmap& canvas, int originX);

// True where the system's own text drawing may be chosen for a bitmap with
// a drawing context: on Windows, but not under Wine.
bool SystemDrawsTextNatively();

struct RasterNativeText {
  RasterFontHandle font = nullptr;
  std::uint32_t textColour = 0;  // packed 0xAARRGGBB; the alpha is not used
  std::uint32_t backgroundColour = 0;
  int backgroundMode = 1;  // RasterCachedFont::kTransparent or kOpaque
  // Drawing stays inside clipArea when set, whatever the format says.
  bool clipped = false;
  Rect clipArea;
};

// Draws text (UTF-8 or single-byte) into a drawing context with the
// system's text drawing and the given format flags; returns the text height,
// 0 where there is no such drawing.
int DrawSystemText(void* context, const RasterNativeText& style, const char* text, int length, Rect* rect, int format);

}  // namespace graphics
