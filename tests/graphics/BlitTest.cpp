#include <gtest/gtest.h>

#include <cstdint>

#include "graphics/RasterBitmap.h"
#include "graphics/RasterBlit.h"

using namespace graphics;

namespace {

// A bitmap filled with one colour.
struct Filled : RasterMemBitmap {
  Filled(int w, int h, std::uint32_t colour) : RasterMemBitmap(w, h) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) Row(y)[x] = colour;
  }
  std::uint32_t At(int x, int y) const { return Row(y)[x]; }
};

std::uint32_t CopyOnePixel(std::uint32_t source, std::uint32_t destination, float weight, int mode) {
  Filled s(1, 1, source), d(1, 1, destination);
  CopyArea(&d, &s, 0, 0, nullptr, weight, mode);
  return d.At(0, 0);
}

std::uint32_t PaintOnePixel(std::uint32_t colour, std::uint32_t destination, float weight, int mode) {
  Filled d(1, 1, destination);
  PaintRect(&d, 0, 0, 1, 1, colour, weight, mode);
  return d.At(0, 0);
}

}  // namespace

TEST(SourceAlphaCopy, TransparentSourcesLeaveTheDestinationAndOpaqueOnesReplaceIt) {
  EXPECT_EQ(CopyOnePixel(0x00FFFFFF, 0x12345678, 1.0f, kBlitUseSourceAlpha), 0x12345678u);
  EXPECT_EQ(CopyOnePixel(0x00FFFFFF, 0x12345678, 0.6f, kBlitUseSourceAlpha), 0x12345678u);
  EXPECT_EQ(CopyOnePixel(0xFFFFFFFF, 0x12345678, 0.0f, kBlitUseSourceAlpha), 0x12345678u);
  EXPECT_EQ(CopyOnePixel(0xFF102030, 0x00ABCDEF, 1.0f, kBlitUseSourceAlpha), 0xFF102030u);
}

TEST(SourceAlphaCopy, PartialAlphaOrWeightMixesTruncatingTowardZeroAndAddsAlpha) {
  // Blue 200 at alpha 128 over blue 0: 200 + trunc(-200 x 127 / 256) = 101.
  const std::uint32_t out = CopyOnePixel(0x800000C8, 0x10000000, 1.0f, kBlitUseSourceAlpha);
  EXPECT_EQ(BlueOf(out), 101);
  EXPECT_EQ(AlphaOf(out), 128 + 0x10);
  // Alpha adds up but saturates.
  EXPECT_EQ(AlphaOf(CopyOnePixel(0x800000C8, 0xF0000000, 1.0f, kBlitUseSourceAlpha)), 255);
  // Rising from below: 0 + trunc(200 x 127 / 256) = 99.
  EXPECT_EQ(BlueOf(CopyOnePixel(0x80000000, 0x000000C8, 1.0f, kBlitUseSourceAlpha)), 99);
  // Weight 0.5 on an opaque source: halfway, alpha gains 128.
  const std::uint32_t half = CopyOnePixel(0xFF0000C8, 0x20000000, 0.5f, kBlitUseSourceAlpha);
  EXPECT_EQ(BlueOf(half), 100);
  EXPECT_EQ(AlphaOf(half), 0x20 + 128);
  // Weight 0.3 on alpha 100: 76 x 101 / 256 = 29 of 256; 200 + trunc(-200 x 227 / 256) = 23.
  const std::uint32_t weak = CopyOnePixel(0x640000C8, 0x00000000, 0.3f, kBlitUseSourceAlpha);
  EXPECT_EQ(BlueOf(weak), 23);
  EXPECT_EQ(AlphaOf(weak), 29);
}

TEST(PlainCopy, FullWeightCopiesAllFourBytesAndWeightsBelowOneLevelNothing) {
  EXPECT_EQ(CopyOnePixel(0x00102030, 0xFFFFFFFF, 1.0f, kBlitCopy), 0x00102030u);
  EXPECT_EQ(CopyOnePixel(0xFFFFFFFF, 0x12345678, 0.0f, kBlitCopy), 0x12345678u);
  EXPECT_EQ(CopyOnePixel(0xFFFFFFFF, 0x12345678, 0.001f, kBlitCopy), 0x12345678u);
}

TEST(PlainCopy, PartialWeightsMixEveryByteTruncatingTowardZero) {
  // Half: each byte halved on its own, the low bit of one byte never reaching the next.
  EXPECT_EQ(CopyOnePixel(0xFF112233, 0x01030507, 0.5f, kBlitCopy), 0x7F09131Cu);
  // a = trunc(0.3 x 256) = 76; 200 + trunc(-200 x 180 / 256) = 60 (not 59).
  EXPECT_EQ(CopyOnePixel(0xC8C8C8C8, 0x00000000, 0.3f, kBlitCopy), 0x3C3C3C3Cu);
  // Upward: 0 + trunc(200 x 180 / 256) = 140.
  EXPECT_EQ(CopyOnePixel(0x00000000, 0xC8C8C8C8, 0.3f, kBlitCopy), 0x8C8C8C8Cu);
}

TEST(CopyAreaClipping, NegativeDestinationTakesTheMatchingPartOfTheSource) {
  RasterMemBitmap source(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) source.Row(y)[x] = PackColour(255, x, y, 0);
  Filled destination(4, 4, 0);
  CopyArea(&destination, &source, -1, -2, nullptr, 1.0f, kBlitCopy);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      if (x < 3 && y < 2)
        EXPECT_EQ(destination.At(x, y), PackColour(255, x + 1, y + 2, 0)) << x << "," << y;
      else
        EXPECT_EQ(destination.At(x, y), 0u) << x << "," << y;
    }
  }
}

TEST(CopyAreaClipping, SourceRectangleIsCutToTheSourceAndTheCopyToTheDestination) {
  RasterMemBitmap source(3, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) source.Row(y)[x] = PackColour(255, x, y, 7);
  Filled destination(5, 5, 0);
  const Rect beyond{1, 1, 10, 10};
  CopyArea(&destination, &source, 3, 3, &beyond, 1.0f, kBlitCopy);
  EXPECT_EQ(destination.At(3, 3), PackColour(255, 1, 1, 7));
  EXPECT_EQ(destination.At(4, 4), PackColour(255, 2, 2, 7));
  EXPECT_EQ(destination.At(2, 2), 0u);
  // Entirely outside: nothing, and no stray write.
  CopyArea(&destination, &source, 5, 0, nullptr, 1.0f, kBlitCopy);
  CopyArea(&destination, &source, -3, 0, nullptr, 1.0f, kBlitCopy);
  EXPECT_EQ(destination.At(0, 0), 0u);
  CopyArea(nullptr, &source, 0, 0, nullptr, 1.0f, kBlitCopy);
  CopyArea(&destination, nullptr, 0, 0, nullptr, 1.0f, kBlitCopy);
}

TEST(PaintRect, FullWeightSetsTheColourAndHalvingShortcutsMixByShifts) {
  EXPECT_EQ(PaintOnePixel(0x80402010, 0xFFFFFFFF, 1.0f, kBlitCopy), 0x80402010u);
  // Half: colour/2 + destination/2, byte by byte.
  EXPECT_EQ(PaintOnePixel(0xFF804020, 0x02040810, 0.5f, kBlitCopy), 0x80422418u);
  // Quarter: colour/4 + destination/2 + destination/4.
  EXPECT_EQ(PaintOnePixel(0xFF804020, 0x04080C10, 0.25f, kBlitCopy), 0x42261914u);
}

TEST(PaintRect, ColourAlphaScalesTheWeightAndTransparentFillsChangeNothing) {
  EXPECT_EQ(PaintOnePixel(0x00FFFFFF, 0x12345678, 1.0f, kBlitUseSourceAlpha), 0x12345678u);
  EXPECT_EQ(PaintOnePixel(0xFF102030, 0x12345678, 1.0f, kBlitUseSourceAlpha), 0xFF102030u);
  // Alpha 0x80 at weight 1: weight 128/255, a = 128, every byte mixed.
  EXPECT_EQ(PaintOnePixel(0x80000000, 0x00C800C8, 1.0f, kBlitUseSourceAlpha), 0x40640064u);
}

TEST(PaintRect, RectangleIsClippedToTheBitmap) {
  Filled bitmap(4, 4, 0);
  PaintRect(&bitmap, -2, 3, 4, 10, 0xFFFFFFFF, 1.0f, kBlitCopy);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(bitmap.At(x, y), (y == 3 && x < 2) ? 0xFFFFFFFFu : 0u) << x << "," << y;
  PaintRect(&bitmap, 4, 0, 2, 2, 0xFFFFFFFF, 1.0f, kBlitCopy);
  PaintRect(nullptr, 0, 0, 2, 2, 0xFFFFFFFF, 1.0f, kBlitCopy);
  EXPECT_EQ(bitmap.At(3, 0), 0u);
}
