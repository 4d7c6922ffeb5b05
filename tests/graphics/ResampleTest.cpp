#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>

#include "graphics/RasterBitmap.h"
#include "graphics/RasterResample.h"

using namespace graphics;

namespace {

void Fill(RasterBitmap& bitmap, const Rect& area, std::uint32_t colour) {
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) bitmap.Row(y)[x] = colour;
}

// Pixels listed row by row.
void Paint(RasterBitmap& bitmap, std::initializer_list<std::uint32_t> pixels) {
  auto pixel = pixels.begin();
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) bitmap.Row(y)[x] = *pixel++;
}

// The one colour every pixel of `area` has, or 0x12345678 (no colour the
// tests use) when they differ.
std::uint32_t UniformColour(const RasterBitmap& bitmap, const Rect& area) {
  const std::uint32_t colour = bitmap.Row(area.top)[area.left];
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (bitmap.Row(y)[x] != colour) return 0x12345678;
  return colour;
}

std::uint32_t ShrinkToOnePixel(RasterMemBitmap& source) {
  RasterMemBitmap one(1, 1);
  ResampleArea(source, {0, 0, source.Width(), source.Height()}, one, {0, 0, 1, 1});
  return one.Row(0)[0];
}

}  // namespace

TEST(ResampleArea, ABlockShrunkToOnePixelIsItsMean) {
  RasterMemBitmap block(2, 2);
  Paint(block, {0xFF000000, 0xFF644B0A, 0xFFC89614, 0xFF28C81E});
  // Red (0 + 100 + 200 + 40) / 4, green (0 + 75 + 150 + 200) / 4 rounded, blue (0 + 10 + 20 + 30) / 4.
  EXPECT_EQ(ShrinkToOnePixel(block), 0xFF556A0Fu);
}

TEST(ResampleArea, TransparentPixelsLendNoColourAndTranslucentOnesWeighLess) {
  RasterMemBitmap block(2, 2);
  Paint(block, {0xFF0000C8, 0x00FF0000, 0xFF0000C8, 0xFF0000C8});
  EXPECT_EQ(ShrinkToOnePixel(block), 0xBF0000C8u);  // alpha 3/4 of 255 rounded, pure blue

  // Red 200 at full alpha and red 0 at a third: alpha 170, red 200 x 255 / 340.
  RasterMemBitmap pair(2, 1);
  Paint(pair, {0xFFC80000, 0x55000000});
  EXPECT_EQ(ShrinkToOnePixel(pair), 0xAA960000u);

  RasterMemBitmap clear(2, 2);
  Paint(clear, {0x00FFFFFF, 0x00FF0000, 0x0000FF00, 0x000000FF});
  EXPECT_EQ(ShrinkToOnePixel(clear), 0u);
}

TEST(ResampleArea, AUniformImageStaysExactlyUniformAtTheZoomSteps) {
  RasterMemBitmap art(48, 40);
  Fill(art, {0, 0, 48, 40}, 0xFF336699);
  for (int percent : {125, 150, 175, 250}) {
    // Art drawn for 200 %, at `percent`.
    const int width = 24 * percent / 100, height = 20 * percent / 100;
    RasterMemBitmap zoomed(width, height);
    ResampleArea(art, {0, 0, 48, 40}, zoomed, {0, 0, width, height});
    EXPECT_EQ(UniformColour(zoomed, {0, 0, width, height}), 0xFF336699u) << percent;
  }
}

TEST(ResampleArea, RectanglesReachingOutsideTheBitmapsAreClipped) {
  RasterMemBitmap source(4, 4);
  Fill(source, {0, 0, 4, 4}, 0xFF204060);
  RasterMemBitmap destination(6, 6);
  Fill(destination, {0, 0, 6, 6}, 0);
  // Of the source three quarters lie outside its bitmap: only the destination
  // pixel over the real quarter is written, and only the destination pixels
  // inside their bitmap.
  ResampleArea(source, {-4, -4, 4, 4}, destination, {2, 2, 8, 8});
  EXPECT_EQ(UniformColour(destination, {0, 0, 6, 5}), 0u);
  EXPECT_EQ(UniformColour(destination, {0, 0, 5, 6}), 0u);
  EXPECT_EQ(UniformColour(destination, {5, 5, 6, 6}), 0xFF204060u);

  ResampleArea(source, {0, 0, 4, 4}, destination, {6, 6, 12, 12});
  ResampleArea(source, {8, 8, 12, 12}, destination, {0, 0, 6, 6});
  ResampleArea(source, {0, 0, 4, 0}, destination, {0, 0, 6, 6});
  ResampleArea(destination, {0, 0, 6, 6}, destination, {0, 0, 3, 3});
  EXPECT_EQ(UniformColour(destination, {0, 0, 6, 5}), 0u);

  // A rectangle as wide as the coordinates go.
  ResampleArea(source, {0, 0, 4, 4}, destination, {-2147483647 - 1, 0, 2147483647, 6});
  EXPECT_EQ(UniformColour(destination, {0, 0, 6, 6}), 0xFF204060u);
}

TEST(ResampleFrames, EachFrameIsResampledOnItsOwnAndBadCountsAreRefused) {
  // Three frames of one colour each in 17 rows (6, 5 and 6), shrunk to 5 x 4:
  // resampled as a whole, the strip's borders would fall mid-pixel and mix.
  RasterMemBitmap strip(8, 17);
  const std::uint32_t colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  const int borders[] = {0, 6, 11, 17};
  for (int frame = 0; frame < 3; ++frame) Fill(strip, {0, borders[frame], 8, borders[frame + 1]}, colours[frame]);
  const auto zoomed = ResampleFrames(strip, 3, 5, 4);
  ASSERT_NE(zoomed, nullptr);
  EXPECT_EQ(zoomed->Width(), 5);
  EXPECT_EQ(zoomed->Height(), 12);
  for (int frame = 0; frame < 3; ++frame)
    EXPECT_EQ(UniformColour(*zoomed, {0, frame * 4, 5, frame * 4 + 4}), colours[frame]) << frame;

  EXPECT_EQ(ResampleFrames(strip, 0, 5, 4), nullptr);
  EXPECT_EQ(ResampleFrames(strip, 18, 5, 4), nullptr);
  EXPECT_EQ(ResampleFrames(strip, 3, 0, 4), nullptr);
  EXPECT_EQ(ResampleFrames(strip, 3, 5, -1), nullptr);
  EXPECT_EQ(ResampleFrames(strip, 3, 5, 2147483647), nullptr);
  EXPECT_EQ(ResampleFrames(RasterMemBitmap(), 1, 5, 4), nullptr);
}
