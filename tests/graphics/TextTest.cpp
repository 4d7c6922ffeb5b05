#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "graphics/RasterBlit.h"
#include "graphics/RasterFont.h"
#include "graphics/RasterSysBitmap.h"

using namespace graphics;

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;

struct Ink {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
  bool Any() const { return right >= 0; }
  int CentreX() const { return (left + right) / 2; }
};

// Where pixels differ from the background colour.
Ink FindInk(const RasterBitmap& bitmap, std::uint32_t background) {
  Ink ink;
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) {
      if (bitmap.Row(y)[x] == background) continue;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x + 1);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y + 1);
    }
  }
  return ink;
}

std::unique_ptr<RasterCachedFont> MakeFont(const char* face, int height, int weight = 400) {
  RasterFontRequest request;
  request.face = face;
  request.height = height;
  request.weight = weight;
  RasterFontHandle handle = CreateSystemFont(request);
  if (!handle) return nullptr;
  auto font = std::make_unique<RasterCachedFont>();
  font->SetFont(handle, kFontOwnsHandle | kFontPrefersNative);
  return font;
}

struct Canvas : RasterMemBitmap {
  Canvas(int w, int h, std::uint32_t colour) : RasterMemBitmap(w, h) {
    PaintRect(this, 0, 0, w, h, colour, 1.0f, kBlitCopy);
  }
};

}  // namespace

TEST(CachedText, AlignmentPutsTheInkAtTheLeftEdgeCentreAndRightEdge) {
  auto font = MakeFont("Arial", 16);
  ASSERT_TRUE(font);
  font->SetTextColour(0xFF000000);
  Rect measured{0, 0, 0, 0};
  font->DrawText(nullptr, "HHHH", -1, &measured, kTextMeasureOnly);
  const int width = measured.Width();
  ASSERT_GT(width, 20);
  EXPECT_EQ(measured.Height(), 16);

  const Rect box{20, 10, 280, 40};
  struct Case {
    int align;
    int expectedStart;  // where the measured text box starts
  } cases[] = {{kTextLeft, 20}, {kTextCentre, 20 + (260 - width) / 2}, {kTextRight, 280 - width}};
  for (const Case& each : cases) {
    Canvas canvas(300, 50, kWhite);
    Rect rect = box;
    EXPECT_EQ(font->DrawText(&canvas, "HHHH", -1, &rect, each.align | kTextNoClip), 16);
    const Ink ink = FindInk(canvas, kWhite);
    ASSERT_TRUE(ink.Any()) << each.align;
    // The ink of an H sits inside its advance, a pixel or two from its ends.
    EXPECT_GE(ink.left, each.expectedStart) << each.align;
    EXPECT_LE(ink.left, each.expectedStart + 3) << each.align;
    EXPECT_LE(ink.right, each.expectedStart + width) << each.align;
    EXPECT_GE(ink.right, each.expectedStart + width - 3) << each.align;
    // Drawn from the top of the rectangle, within one line.
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.bottom, 10 + 16);
  }
}

TEST(CachedText, OpaqueColourCoversFullyInkedPixelsExactly) {
  auto font = MakeFont("DejaVu Sans", 28, 700);
  ASSERT_TRUE(font);
  const std::uint32_t colour = 0xFF204080;
  font->SetTextColour(colour);
  Canvas canvas(120, 40, 0x00FFFFFF);  // white, fully transparent
  Rect rect{0, 0, 120, 40};
  font->DrawText(&canvas, "IL", -1, &rect, kTextLeft | kTextNoClip);
  int exact = 0;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      const std::uint32_t pixel = canvas.Row(y)[x];
      if (pixel == 0x00FFFFFF) continue;
      // Every inked pixel lies between the background and the text colour,
      // and gains alpha.
      EXPECT_GE(BlueOf(pixel), 0x80);
      EXPECT_LE(RedOf(pixel), 0xFF);
      EXPECT_GE(RedOf(pixel), 0x20);
      EXPECT_GT(AlphaOf(pixel), 0);
      if (pixel == colour) ++exact;
    }
  }
  // The stems of I and L are covered wholly: there the colour is exact and opaque.
  EXPECT_GT(exact, 20);
}

TEST(CachedText, ColourAlphaScalesTheTextWhenAsked) {
  auto font = MakeFont("DejaVu Sans", 28, 700);
  ASSERT_TRUE(font);
  font->SetTextColour(0x80204080);
  Canvas canvas(120, 40, kWhite);
  Rect rect{0, 0, 120, 40};
  font->DrawText(&canvas, "IL", -1, &rect, kTextLeft | kTextNoClip | kTextApplyColourAlpha);
  // a = trunc(128 / 255 x 256) = 128; at full coverage k = 256 - 128 x 255 / 256 = 129,
  // so red becomes 0x20 + (0xFF - 0x20) x 129 / 256 = 144, alpha stays 255.
  int darkestRed = 255;
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x) darkestRed = std::min(darkestRed, RedOf(canvas.Row(y)[x]));
  EXPECT_EQ(darkestRed, 0x20 + (0xFF - 0x20) * 129 / 256);
  EXPECT_EQ(FindInk(canvas, kWhite).Any(), true);
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x) ASSERT_EQ(AlphaOf(canvas.Row(y)[x]), 255);

  // Without the flag the colour's alpha is ignored: full strength.
  Canvas full(120, 40, kWhite);
  Rect again{0, 0, 120, 40};
  font->DrawText(&full, "IL", -1, &again, kTextLeft | kTextNoClip);
  int fullRed = 255;
  for (int y = 0; y < full.Height(); ++y)
    for (int x = 0; x < full.Width(); ++x) fullRed = std::min(fullRed, RedOf(full.Row(y)[x]));
  EXPECT_EQ(fullRed, 0x20);

  // A fully transparent colour with the flag draws nothing.
  font->SetTextColour(0x00204080);
  Canvas untouched(120, 40, kWhite);
  Rect third{0, 0, 120, 40};
  font->DrawText(&untouched, "IL", -1, &third, kTextLeft | kTextNoClip | kTextApplyColourAlpha);
  EXPECT_FALSE(FindInk(untouched, kWhite).Any());
}

TEST(CachedText, ClipsToTheRectangleUnlessToldNotTo) {
  auto font = MakeFont("Arial", 16);
  ASSERT_TRUE(font);
  Canvas clipped(200, 30, kWhite);
  Rect narrow{0, 0, 10, 30};
  font->DrawText(&clipped, "HHHHHH", -1, &narrow, kTextLeft);
  const Ink inside = FindInk(clipped, kWhite);
  ASSERT_TRUE(inside.Any());
  EXPECT_LE(inside.right, 10);
  Canvas free(200, 30, kWhite);
  Rect same{0, 0, 10, 30};
  font->DrawText(&free, "HHHHHH", -1, &same, kTextLeft | kTextNoClip);
  EXPECT_GT(FindInk(free, kWhite).right, 30);
  // Text running off the bitmap is cut there, not written past it.
  Canvas edge(20, 10, kWhite);
  Rect off{-8, -8, 40, 40};
  font->DrawText(&edge, "HHHHHH", -1, &off, kTextLeft | kTextNoClip);
  EXPECT_TRUE(FindInk(edge, kWhite).Any());
}

TEST(CachedText, LineFeedsStartNewLinesUnlessSingleLine) {
  auto font = MakeFont("Arial", 16);
  ASSERT_TRUE(font);
  Rect two{0, 0, 0, 0};
  EXPECT_EQ(font->DrawText(nullptr, "H\r\nH", -1, &two, kTextMeasureOnly), 32);
  Rect one{0, 0, 0, 0};
  EXPECT_EQ(font->DrawText(nullptr, "H\r\nH", -1, &one, kTextMeasureOnly | kTextSingleLine), 16);
  Rect plain{0, 0, 0, 0};
  font->DrawText(nullptr, "HH", -1, &plain, kTextMeasureOnly);
  EXPECT_EQ(one.Width(), plain.Width());
}

TEST(SystemFonts, AMissingFaceFallsBackToAnInstalledOne) {
  auto font = MakeFont("No Such Face Anywhere", 14);
  ASSERT_TRUE(font);
  EXPECT_EQ(font->LineHeight(), 14);
  Canvas canvas(100, 20, kWhite);
  Rect rect{0, 0, 100, 20};
  font->DrawText(&canvas, "Kestrion", -1, &rect, kTextLeft | kTextNoClip);
  EXPECT_TRUE(FindInk(canvas, kWhite).Any());
}

TEST(SystemFonts, TheGlyphCanvasLivesAsLongAsAnyFont) {
  const int before = RasterCachedFont::LiveFonts();
  {
    auto a = MakeFont("Verdana", 12);
    auto b = MakeFont("Tahoma", 12);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(RasterCachedFont::LiveFonts(), before + 2);
    a.reset();
    Canvas canvas(60, 20, kWhite);
    Rect rect{0, 0, 60, 20};
    b->DrawText(&canvas, "Ab", -1, &rect, kTextLeft | kTextNoClip);
    EXPECT_TRUE(FindInk(canvas, kWhite).Any());
  }
  EXPECT_EQ(RasterCachedFont::LiveFonts(), before);
}

TEST(SystemFonts, ColourAlphaKeepsTextOffTheSystemPath) {
  auto font = MakeFont("Arial", 12);
  ASSERT_TRUE(font);
  RasterSysBitmap system(50, 20);
  RasterMemBitmap memory(50, 20);
  EXPECT_FALSE(font->DrawsNatively(&system, kTextApplyColourAlpha));
  EXPECT_FALSE(font->DrawsNatively(&memory, 0));
  EXPECT_EQ(font->DrawsNatively(&system, 0), system.DeviceContext() != nullptr && SystemDrawsTextNatively());
}

TEST(CachedText, ClipAreaHoldsEvenWithoutRectangleClipping) {
  auto font = MakeFont("Arial", 16);
  ASSERT_TRUE(font);
  Canvas canvas(200, 30, kWhite);
  const Rect area{30, 0, 60, 30};
  font->SetClipArea(&area);
  Rect rect{0, 0, 200, 30};
  font->DrawText(&canvas, "HHHHHHHHHHHH", -1, &rect, kTextLeft | kTextNoClip);
  font->SetClipArea(nullptr);
  const Ink ink = FindInk(canvas, kWhite);
  ASSERT_TRUE(ink.Any());
  EXPECT_GE(ink.left, 30);
  EXPECT_LE(ink.right, 60);
}
