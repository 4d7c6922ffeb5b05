#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "graphics/RasterPng.h"
#include "tests/graphics/PngMaker.h"

using namespace graphics;
using pngmaker::Image;

namespace {

std::uint32_t At(const RasterBitmap& bitmap, int x, int y) { return bitmap.Row(y)[x]; }

Image Rgba2x2() {
  Image image;
  image.width = 2;
  image.height = 2;
  image.rows = {0x10, 0x20, 0x30, 0xFF, 0x40, 0x50, 0x60, 0x80,
                0x70, 0x80, 0x90, 0x00, 0xA0, 0xB0, 0xC0, 0x01};
  return image;
}

}  // namespace

TEST(DecodePng, RgbaPixelsComeOutAsStraightArgbWords) {
  const auto data = pngmaker::Encode(Rgba2x2());
  auto bitmap = DecodePng(data.data(), data.size());
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->Width(), 2);
  EXPECT_EQ(bitmap->Height(), 2);
  EXPECT_EQ(At(*bitmap, 0, 0), 0xFF102030u);
  EXPECT_EQ(At(*bitmap, 1, 0), 0x80405060u);
  EXPECT_EQ(At(*bitmap, 0, 1), 0x00708090u);
  EXPECT_EQ(At(*bitmap, 1, 1), 0x01A0B0C0u);
}

TEST(DecodePng, ImagesWithoutAlphaAreOpaque) {
  Image image;
  image.width = 2;
  image.height = 1;
  image.colourType = PNG_COLOR_TYPE_RGB;
  image.rows = {1, 2, 3, 250, 251, 252};
  const auto data = pngmaker::Encode(image);
  auto bitmap = DecodePng(data.data(), data.size());
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(At(*bitmap, 0, 0), 0xFF010203u);
  EXPECT_EQ(At(*bitmap, 1, 0), 0xFFFAFBFCu);
}

TEST(DecodePng, PaletteWithTransparencyChunkGivesPerPixelAlpha) {
  Image image;
  image.width = 3;
  image.height = 1;
  image.colourType = PNG_COLOR_TYPE_PALETTE;
  image.palette = {{0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0x00, 0x00, 0xFF}};
  image.transparency = {0x00, 0x80};  // the third entry stays opaque
  image.rows = {0, 1, 2};
  const auto data = pngmaker::Encode(image);
  auto bitmap = DecodePng(data.data(), data.size());
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(At(*bitmap, 0, 0), 0x00FF0000u);
  EXPECT_EQ(At(*bitmap, 1, 0), 0x8000FF00u);
  EXPECT_EQ(At(*bitmap, 2, 0), 0xFF0000FFu);
}

TEST(DecodePng, PaletteWithoutTransparencyIsOpaqueEvenAtFourBits) {
  Image image;
  image.width = 2;
  image.height = 1;
  image.colourType = PNG_COLOR_TYPE_PALETTE;
  image.bitDepth = 4;
  image.palette = {{1, 2, 3}, {4, 5, 6}};
  image.rows = {0x10};  // indices 1, 0
  const auto data = pngmaker::Encode(image);
  auto bitmap = DecodePng(data.data(), data.size());
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(At(*bitmap, 0, 0), 0xFF040506u);
  EXPECT_EQ(At(*bitmap, 1, 0), 0xFF010203u);
}

TEST(DecodePng, GreyBecomesEqualColourBytes) {
  Image grey;
  grey.width = 2;
  grey.height = 1;
  grey.colourType = PNG_COLOR_TYPE_GRAY;
  grey.rows = {0x00, 0x7B};
  auto data = pngmaker::Encode(grey);
  auto bitmap = DecodePng(data.data(), data.size());
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(At(*bitmap, 0, 0), 0xFF000000u);
  EXPECT_EQ(At(*bitmap, 1, 0), 0xFF7B7B7Bu);

  // Two-bit grey is widened to eight bits: level 1 of 3 is 0x55.
  Image narrow;
  narrow.width = 4;
  narrow.height = 1;
  narrow.colourType = PNG_COLOR_TYPE_GRAY;
  narrow.bitDepth = 2;
  narrow.rows = {0x1B};  // levels 0, 1, 2, 3
  data = pngmaker::Encode(narrow);
  bitmap = DecodePng(data.data(), data.size());
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(At(*bitmap, 0, 0), 0xFF000000u);
  EXPECT_EQ(At(*bitmap, 1, 0), 0xFF555555u);
  EXPECT_EQ(At(*bitmap, 3, 0), 0xFFFFFFFFu);

  Image greyAlpha;
  greyAlpha.width = 1;
  greyAlpha.height = 1;
  greyAlpha.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
  greyAlpha.rows = {0x40, 0x90};
  data = pngmaker::Encode(greyAlpha);
  bitmap = DecodePng(data.data(), data.size());
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(At(*bitmap, 0, 0), 0x90404040u);
}

TEST(DecodePng, SixteenBitSamplesKeepTheirHighByte) {
  Image image;
  image.width = 1;
  image.height = 1;
  image.bitDepth = 16;
  image.rows = {0xAB, 0x12, 0xCD, 0x34, 0xEF, 0x56, 0x7F, 0xFF};
  const auto data = pngmaker::Encode(image);
  auto bitmap = DecodePng(data.data(), data.size());
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(At(*bitmap, 0, 0), 0x7FABCDEFu);
}

TEST(DecodePng, InterlacedImagesDecodeWhole) {
  Image image;
  image.width = 9;
  image.height = 9;
  image.colourType = PNG_COLOR_TYPE_RGB;
  image.interlaced = true;
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 9; ++x) image.rows.insert(image.rows.end(), {std::uint8_t(x), std::uint8_t(y), 9});
  const auto data = pngmaker::Encode(image);
  auto bitmap = DecodePng(data.data(), data.size());
  ASSERT_TRUE(bitmap);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 9; ++x) ASSERT_EQ(At(*bitmap, x, y), 0xFF000009u | x << 16 | y << 8) << x << "," << y;
}

TEST(DecodePng, TallStripWithAlphaKeepsItsSizeAndTightRows) {
  Image image;
  image.width = 40;
  image.height = 2600;
  image.rows.assign(40u * 2600 * 4, 0);
  for (int y = 0; y < 2600; ++y) image.rows[static_cast<std::size_t>(y) * 160 + 3] = static_cast<std::uint8_t>(y);
  const auto data = pngmaker::Encode(image);
  auto bitmap = DecodePng(data.data(), data.size());
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->Width(), 40);
  EXPECT_EQ(bitmap->Height(), 2600);
  EXPECT_EQ(bitmap->RowSpan(), 40);
  EXPECT_EQ(AlphaOf(At(*bitmap, 0, 2599)), 2599 & 0xFF);
}

TEST(DecodePng, TruncatedDataGivesNoImage) {
  const auto data = pngmaker::Encode(Rgba2x2());
  ASSERT_GT(data.size(), 40u);
  for (std::size_t cut : {std::size_t{7}, std::size_t{8}, std::size_t{20}, std::size_t{33}, data.size() / 2,
                          data.size() - 12, data.size() - 1})
    EXPECT_FALSE(DecodePng(data.data(), cut)) << "cut at " << cut;
}

TEST(DecodePng, CorruptDataGivesNoImage) {
  auto data = pngmaker::Encode(Rgba2x2());
  // A wrong signature.
  auto badSignature = data;
  badSignature[1] = 'Q';
  EXPECT_FALSE(DecodePng(badSignature.data(), badSignature.size()));
  // A damaged header chunk (its checksum no longer matches).
  auto badHeader = data;
  badHeader[17] ^= 0x40;
  EXPECT_FALSE(DecodePng(badHeader.data(), badHeader.size()));
  // Damaged image data, checksum patched nowhere.
  auto badData = data;
  for (std::size_t i = 0; i + 8 < badData.size(); ++i) {
    if (badData[i] == 'I' && badData[i + 1] == 'D' && badData[i + 2] == 'A' && badData[i + 3] == 'T') {
      badData[i + 6] ^= 0xFF;
      break;
    }
  }
  EXPECT_FALSE(DecodePng(badData.data(), badData.size()));
  EXPECT_FALSE(DecodePng(nullptr, 100));
}

TEST(LoadPngResource, MissingResourceGivesNoImage) {
  EXPECT_FALSE(LoadPngResource(nullptr, 9999));
}
