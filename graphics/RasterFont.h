// Fonts that draw text into bitmaps: through the system's own text drawing
// where that is trusted, otherwise from glyphs rendered once by the system
// and composited with the text colour.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/RasterBitmap.h"
#include "graphics/RasterTextSystem.h"

namespace graphics {

// Format flags of DrawText; the low ones have the values of the system's
// text drawing, which receives them unchanged.
constexpr int kTextLeft = 0x0;
constexpr int kTextCentre = 0x1;
constexpr int kTextRight = 0x2;
constexpr int kTextTop = 0x0;
constexpr int kTextVerticalCentre = 0x4;
constexpr int kTextBottom = 0x8;
constexpr int kTextSingleLine = 0x20;
constexpr int kTextNoClip = 0x100;
constexpr int kTextMeasureOnly = 0x400;  // sets the rectangle to the text's extent, draws nothing
constexpr int kTextNoPrefix = 0x800;
// Ours alone: scale the drawing by the alpha of the text colour.
constexpr int kTextApplyColourAlpha = 0x40000000;

// Font flags.
constexpr int kFontPrerender = 0x4;      // render characters 0..127 when the font is set
constexpr int kFontEffectFlags = 0x1F7;  // outline, shadow and the like: never drawn natively
constexpr int kFontOwnsHandle = 0x200;   // the system font is deleted with this object
constexpr int kFontPrefersNative = 0x400;

// Text is drawn by one thread at a time: every font of the process shares
// the glyph canvas, and editors on threads of their own may share a font,
// whose colour and clip are set before it draws. Held across a font's
// settings and drawing; DrawText takes it too. Re-entrant.
class TextLock {
 public:
  TextLock();
  ~TextLock();
  TextLock(const TextLock&) = delete;
  TextLock& operator=(const TextLock&) = delete;
};

class RasterFont {
 public:
  virtual ~RasterFont() = default;
  virtual void SetFont(RasterFontHandle font, int flags) = 0;
  // Colours are packed 0xAARRGGBB; each setter returns the previous value.
  virtual std::uint32_t SetTextColour(std::uint32_t colour) = 0;
  virtual std::uint32_t SetBackgroundColour(std::uint32_t colour) = 0;
  virtual std::uint32_t SetEffectColour(std::uint32_t colour) = 0;
  virtual int SetBackgroundMode(int mode) = 0;
  virtual void SetCombineMode(int mode, float alpha) = 0;
  // length -1: up to the terminating zero. Returns the height of the text.
  virtual int DrawText(RasterBitmap* bitmap, const char* text, int length, Rect* rect, int format) = 0;
  virtual std::uint32_t TextColour() const = 0;
  virtual RasterFontHandle FontHandle() const = 0;
  virtual int LineHeight() const = 0;
  // One line with its top-left corner at (x, y).
  virtual int DrawTextAt(RasterBitmap* bitmap, int x, int y, const char* text, int length) = 0;
};

class RasterCachedFont : public RasterFont {
 public:
  static constexpr int kTransparent = 1;
  static constexpr int kOpaque = 2;

  RasterCachedFont();
  ~RasterCachedFont() override;
  RasterCachedFont(const RasterCachedFont&) = delete;
  RasterCachedFont& operator=(const RasterCachedFont&) = delete;

  void SetFont(RasterFontHandle font, int flags) override;
  std::uint32_t SetTextColour(std::uint32_t colour) override;
  std::uint32_t SetBackgroundColour(std::uint32_t colour) override;
  std::uint32_t SetEffectColour(std::uint32_t colour) override;
  int SetBackgroundMode(int mode) override;
  void SetCombineMode(int mode, float alpha) override;
  int DrawText(RasterBitmap* bitmap, const char* text, int length, Rect* rect, int format) override;
  std::uint32_t TextColour() const override { return textColour_; }
  RasterFontHandle FontHandle() const override { return font_; }
  int LineHeight() const override { return lineHeight_; }
  int DrawTextAt(RasterBitmap* bitmap, int x, int y, const char* text, int length) override;

  // Confines every later drawing to `area` of the bitmap (null: the whole
  // bitmap), also with kTextNoClip, which only lifts the text rectangle.
  void SetClipArea(const Rect* area);

  // Whether DrawText would hand this bitmap and format to the system.
  bool DrawsNatively(const RasterBitmap* bitmap, int format) const;

  // Number of live font objects, which keep the shared glyph canvas alive.
  static int LiveFonts();

 private:
  struct Glyph {
    std::uint32_t character;
    int advance;
    // The inked box relative to the pen at the top of the line.
    int inkLeft, inkTop, inkWidth, inkHeight;
    std::size_t coverageOffset;  // inkWidth x inkHeight bytes in coverage_
  };

  const Glyph* FindGlyph(std::uint32_t character);
  const Glyph* RenderGlyph(std::uint32_t character);
  void ForgetGlyphs();
  int DrawCached(RasterBitmap* bitmap, const char* text, int length, Rect* rect, int format);
  void Composite(RasterBitmap& bitmap, const Glyph& glyph, int penX, int lineTop, const Rect& clip, int level);

  int flags_ = 0;
  std::uint32_t textColour_ = 0xFF000000;
  std::uint32_t backgroundColour_ = 0xFFFFFFFF;
  std::uint32_t effectColour_ = 0xFF000000;
  int backgroundMode_ = kTransparent;
  int combineMode_ = 0;
  float alpha_ = 1.0f;
  int lineHeight_ = 0;
  // An extra line spacing, which would keep multi-line text off the native
  // path; none of the editor's fonts sets one.
  int lineSpacing_ = 0;
  bool clipped_ = false;
  Rect clipArea_;
  int characterIndex_[256];  // glyph index of the first 256 characters, -1 if not yet rendered
  std::vector<Glyph> glyphs_;
  std::vector<std::uint8_t> coverage_;
  RasterFontHandle font_ = nullptr;
};

}  // namespace graphics
