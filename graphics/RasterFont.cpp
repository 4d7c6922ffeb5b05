#include "graphics/RasterFont.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>

#include "graphics/RasterBlit.h"
#include "graphics/RasterSysBitmap.h"
#include "graphics/RasterUtf8.h"

namespace graphics {

namespace {

constexpr int kGlyphCanvasSize = 256;
// Taller fonts do not fit the glyph canvas and are left to the system.
constexpr int kTallestCachedFont = 255;
constexpr std::uint32_t kCarriageReturn = '\r';
constexpr std::uint32_t kLineFeed = '\n';

// Shared by every font of the process: glyphs are rendered here one at a
// time and their coverage copied out.
int liveFonts = 0;
std::unique_ptr<RasterSysBitmap> glyphCanvas;

// Where the pen starts on the canvas: far enough right that characters
// reaching left of their origin (italics, some accents) still fit.
int GlyphOriginX(int lineHeight) { return std::min(lineHeight / 4 + 2, 64); }

// Coverage of a white-on-black canvas pixel: the mean of its colour bytes,
// so that sub-pixel (coloured) rendering still gives one figure.
int CoverageOf(std::uint32_t pixel) { return (RedOf(pixel) + GreenOf(pixel) + BlueOf(pixel) + 1) / 3; }

std::recursive_mutex& TextMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

struct TextLine {
  int start;
  int end;  // byte positions in the text
  int width;
};

}  // namespace

TextLock::TextLock() { TextMutex().lock(); }
TextLock::~TextLock() { TextMutex().unlock(); }

RasterCachedFont::RasterCachedFont() {
  std::fill(std::begin(characterIndex_), std::end(characterIndex_), -1);
  ++liveFonts;
}

RasterCachedFont::~RasterCachedFont() {
  if (font_ && (flags_ & kFontOwnsHandle)) DeleteSystemFont(font_);
  if (--liveFonts == 0) glyphCanvas.reset();
}

int RasterCachedFont::LiveFonts() { return liveFonts; }

void RasterCachedFont::SetFont(RasterFontHandle font, int flags) {
  if (font_ && font_ != font && (flags_ & kFontOwnsHandle)) DeleteSystemFont(font_);
  ForgetGlyphs();
  font_ = font;
  flags_ = flags;
  lineHeight_ = font ? SystemFontLineHeight(font) : 0;
  if (font && !glyphCanvas) glyphCanvas.reset(new RasterSysBitmap(kGlyphCanvasSize, kGlyphCanvasSize));
  if (font && (flags & kFontPrerender))
    for (std::uint32_t character = 0; character < 128; ++character) FindGlyph(character);
}

std::uint32_t RasterCachedFont::SetTextColour(std::uint32_t colour) { return std::exchange(textColour_, colour); }

std::uint32_t RasterCachedFont::SetBackgroundColour(std::uint32_t colour) {
  return std::exchange(backgroundColour_, colour);
}

std::uint32_t RasterCachedFont::SetEffectColour(std::uint32_t colour) { return std::exchange(effectColour_, colour); }

int RasterCachedFont::SetBackgroundMode(int mode) { return std::exchange(backgroundMode_, mode); }

void RasterCachedFont::SetCombineMode(int mode, float alpha) {
  combineMode_ = mode;
  alpha_ = alpha;
}

void RasterCachedFont::SetClipArea(const Rect* area) {
  clipped_ = area != nullptr;
  if (area) clipArea_ = *area;
}

void RasterCachedFont::ForgetGlyphs() {
  std::fill(std::begin(characterIndex_), std::end(characterIndex_), -1);
  glyphs_.clear();
  coverage_.clear();
}

bool RasterCachedFont::DrawsNatively(const RasterBitmap* bitmap, int format) const {
  if (!font_ || !bitmap || !bitmap->DeviceContext()) return false;
  if (lineHeight_ > kTallestCachedFont) return true;
  return (flags_ & kFontPrefersNative) && !(format & kTextApplyColourAlpha) && !(flags_ & kFontEffectFlags) &&
         (lineSpacing_ == 0 || (format & kTextSingleLine)) && SystemDrawsTextNatively();
}

int RasterCachedFont::DrawText(RasterBitmap* bitmap, const char* text, int length, Rect* rect, int format) {
  if (!text || !rect) return 0;
  TextLock hold;
  if (length < 0) length = static_cast<int>(std::strlen(text));
  if (DrawsNatively(bitmap, format) && !(format & kTextMeasureOnly)) {
    RasterNativeText style;
    style.font = font_;
    style.textColour = textColour_;
    style.backgroundColour = backgroundColour_;
    style.backgroundMode = backgroundMode_;
    style.clipped = clipped_;
    style.clipArea = clipArea_;
    return DrawSystemText(bitmap->DeviceContext(), style, text, length, rect, format);
  }
  return DrawCached(bitmap, text, length, rect, format);
}

int RasterCachedFont::DrawTextAt(RasterBitmap* bitmap, int x, int y, const char* text, int length) {
  Rect rect{x, y, x, y};
  return DrawText(bitmap, text, length, &rect, kTextLeft | kTextTop | kTextSingleLine | kTextNoClip);
}

const RasterCachedFont::Glyph* RasterCachedFont::FindGlyph(std::uint32_t character) {
  if (character < 256) {
    const int index = characterIndex_[character];
    if (index >= 0) return &glyphs_[static_cast<std::size_t>(index)];
  } else {
    for (const Glyph& glyph : glyphs_)
      if (glyph.character == character) return &glyph;
  }
  return RenderGlyph(character);
}

const RasterCachedFont::Glyph* RasterCachedFont::RenderGlyph(std::uint32_t character) {
  if (!font_ || !glyphCanvas || !glyphCanvas->Pixels()) return nullptr;
  RasterSysBitmap& canvas = *glyphCanvas;
  const int originX = GlyphOriginX(lineHeight_);
  const int advance = RenderSystemGlyph(font_, character, canvas, originX);
  if (advance < 0) return nullptr;

  int left = canvas.Width(), top = canvas.Height(), right = 0, bottom = 0;
  for (int y = 0; y < canvas.Height(); ++y) {
    const std::uint32_t* row = canvas.Row(y);
    for (int x = 0; x < canvas.Width(); ++x) {
      if (CoverageOf(row[x]) == 0) continue;
      left = std::min(left, x);
      right = std::max(right, x + 1);
      top = std::min(top, y);
      bottom = std::max(bottom, y + 1);
    }
  }
  Glyph glyph{character, advance, 0, 0, 0, 0, coverage_.size()};
  if (right > left) {
    glyph.inkLeft = left - originX;
    glyph.inkTop = top;
    glyph.inkWidth = right - left;
    glyph.inkHeight = bottom - top;
    for (int y = top; y < bottom; ++y) {
      const std::uint32_t* row = canvas.Row(y);
      for (int x = left; x < right; ++x) coverage_.push_back(static_cast<std::uint8_t>(CoverageOf(row[x])));
    }
  }
  glyphs_.push_back(glyph);
  if (character < 256) characterIndex_[character] = static_cast<int>(glyphs_.size() - 1);
  return &glyphs_.back();
}

int RasterCachedFont::DrawCached(RasterBitmap* bitmap, const char* text, int length, Rect* rect, int format) {
  if (!font_) return 0;
  const bool singleLine = (format & kTextSingleLine) != 0;

  // Measure every line first: the alignment needs the widths.
  std::vector<TextLine> lines;
  TextLine line{0, 0, 0};
  for (int position = 0; position < length;) {
    const int before = position;
    const std::uint32_t character = NextCharacter(text, length, &position);
    if (character == kCarriageReturn) continue;
    if (character == kLineFeed) {
      if (singleLine) continue;
      line.end = before;
      lines.push_back(line);
      line = TextLine{position, position, 0};
      continue;
    }
    if (const Glyph* glyph = FindGlyph(character)) line.width += glyph->advance;
  }
  line.end = length;
  lines.push_back(line);

  int textWidth = 0;
  for (const TextLine& each : lines) textWidth = std::max(textWidth, each.width);
  const int textHeight = static_cast<int>(lines.size()) * lineHeight_;

  if (format & kTextMeasureOnly) {
    rect->right = rect->left + textWidth;
    rect->bottom = rect->top + textHeight;
    return textHeight;
  }

  float effectiveAlpha = alpha_;
  if (format & kTextApplyColourAlpha) effectiveAlpha *= AlphaOf(textColour_) / 255.0f;
  if (effectiveAlpha == 0.0f || !bitmap || !bitmap->Pixels()) return 0;
  const int level = std::min(256, static_cast<int>(effectiveAlpha * 256.0f));

  int top = rect->top;
  if (format & kTextBottom)
    top = rect->bottom - textHeight;
  else if (format & kTextVerticalCentre)
    top = rect->top + (rect->Height() - textHeight) / 2;

  Rect clip{0, 0, bitmap->Width(), bitmap->Height()};
  const auto narrow = [&clip](const Rect& by) {
    clip.left = std::max(clip.left, by.left);
    clip.top = std::max(clip.top, by.top);
    clip.right = std::min(clip.right, by.right);
    clip.bottom = std::min(clip.bottom, by.bottom);
  };
  if (!(format & kTextNoClip)) narrow(*rect);
  if (clipped_) narrow(clipArea_);
  if (clip.right <= clip.left || clip.bottom <= clip.top) return textHeight;

  for (std::size_t index = 0; index < lines.size(); ++index) {
    const TextLine& each = lines[index];
    const int lineTop = top + static_cast<int>(index) * lineHeight_;
    int penX = rect->left;
    if (format & kTextRight)
      penX = rect->right - each.width;
    else if (format & kTextCentre)
      penX = rect->left + (rect->Width() - each.width) / 2;
    if (backgroundMode_ == kOpaque) {
      const int left = std::max(penX, clip.left), right = std::min(penX + each.width, clip.right);
      const int lineBottom = std::min(lineTop + lineHeight_, clip.bottom), lineStart = std::max(lineTop, clip.top);
      PaintRect(bitmap, left, lineStart, right - left, lineBottom - lineStart, backgroundColour_, 1.0f, kBlitCopy);
    }
    for (int position = each.start; position < each.end;) {
      const std::uint32_t character = NextCharacter(text, each.end, &position);
      if (character == kCarriageReturn || character == kLineFeed) continue;
      const Glyph* glyph = FindGlyph(character);
      if (!glyph) continue;
      Composite(*bitmap, *glyph, penX, lineTop, clip, level);
      penX += glyph->advance;
    }
  }
  return textHeight;
}

void RasterCachedFont::Composite(RasterBitmap& bitmap, const Glyph& glyph, int penX, int lineTop, const Rect& clip,
                                 int level) {
  const int c[3] = {BlueOf(textColour_), GreenOf(textColour_), RedOf(textColour_)};
  const int originX = penX + glyph.inkLeft;
  const int originY = lineTop + glyph.inkTop;
  const int firstX = std::max(clip.left - originX, 0);
  const int firstY = std::max(clip.top - originY, 0);
  const int lastX = std::min(clip.right - originX, glyph.inkWidth);
  const int lastY = std::min(clip.bottom - originY, glyph.inkHeight);
  for (int gy = firstY; gy < lastY; ++gy) {
    const std::uint8_t* coverage =
        coverage_.data() + glyph.coverageOffset + static_cast<std::size_t>(gy) * glyph.inkWidth;
    auto* pixel = reinterpret_cast<std::uint8_t*>(bitmap.Row(originY + gy) + originX);
    for (int gx = firstX; gx < lastX; ++gx) {
      const int v = coverage[gx];
      if (v == 0) continue;
      std::uint8_t* d = pixel + gx * 4;
      const int da = d[kAlphaByte];
      if (level == 256) {
        for (int i = 0; i < 3; ++i) d[i] = static_cast<std::uint8_t>(c[i] + (d[i] - c[i]) * (255 - v) / 256);
        d[kAlphaByte] = static_cast<std::uint8_t>(255 - (255 - v) * (255 - da) / 256);
      } else {
        const int k = 256 - std::min(256, level * v / 256);
        for (int i = 0; i < 3; ++i) d[i] = static_cast<std::uint8_t>(c[i] + (d[i] - c[i]) * k / 256);
        d[kAlphaByte] = static_cast<std::uint8_t>(255 - (255 - da) * k / 256);
      }
    }
  }
}

}  // namespace graphics
