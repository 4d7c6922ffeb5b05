#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "graphics/RasterPng.h"
#include "tests/graphics/PngMaker.h"

using namespace graphics;
using pngmaker::Image;

namespace {

std::uint32_t At(const RasterBitmap& bitmap, int x, int y) { return bitmap.Row(y)[x]; }

Image Make(int width, int height, int colourType, std::vector<std::uint8_t> rows, int bitDepth = 8) {
  Image image;
  image.width = width;
  image.height = height;
  image.colourType = colourType;
  image.rows = std::move(rows);
  image.bitDepth = bitDepth;
  return image;
}

auto Decode(const Image& image) {
  const auto data = pngmaker::Encode(image);
  return DecodePng(data.data(), data.size());
}

using Pixels = std::vector<std::uint32_t>;

// The first row of an image as decoded; empty when it is refused.
Pixels FirstRow(const Image& image) {
  const auto bitmap = Decode(image);
  return bitmap ? Pixels(bitmap->Row(0), bitmap->Row(0) + bitmap->Width()) : Pixels{};
}

Image Rgba2x2() {
  return Make(2, 2, PNG_COLOR_TYPE_RGBA,
              {0x10, 0x20, 0x30, 0xFF, 0x40, 0x50, 0x60, 0x80, 0x70, 0x80, 0x90, 0x00, 0xA0, 0xB0, 0xC0, 0x01});
}

}  // namespace

TEST(DecodePng, RgbaPixelsComeOutAsStraightArgbWords) {
  auto bitmap = Decode(Rgba2x2());
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->Width(), 2);
  EXPECT_EQ(bitmap->Height(), 2);
  EXPECT_EQ(At(*bitmap, 0, 0), 0xFF102030u);
  EXPECT_EQ(At(*bitmap, 1, 0), 0x80405060u);
  EXPECT_EQ(At(*bitmap, 0, 1), 0x00708090u);
  EXPECT_EQ(At(*bitmap, 1, 1), 0x01A0B0C0u);
}

TEST(DecodePng, ImagesWithoutAlphaAreOpaque) {
  EXPECT_EQ(FirstRow(Make(2, 1, PNG_COLOR_TYPE_RGB, {1, 2, 3, 250, 251, 252})), (Pixels{0xFF010203, 0xFFFAFBFC}));
}

TEST(DecodePng, PaletteWithTransparencyChunkGivesPerPixelAlpha) {
  Image image = Make(3, 1, PNG_COLOR_TYPE_PALETTE, {0, 1, 2});
  image.palette = {{0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0x00, 0x00, 0xFF}};
  image.transparency = {0x00, 0x80};  // the third entry stays opaque
  EXPECT_EQ(FirstRow(image), (Pixels{0x00FF0000, 0x8000FF00, 0xFF0000FF}));
}

TEST(DecodePng, PaletteWithoutTransparencyIsOpaqueEvenAtFourBits) {
  Image image = Make(2, 1, PNG_COLOR_TYPE_PALETTE, {0x10}, 4);  // indices 1, 0
  image.palette = {{1, 2, 3}, {4, 5, 6}};
  EXPECT_EQ(FirstRow(image), (Pixels{0xFF040506, 0xFF010203}));
}

TEST(DecodePng, GreyBecomesEqualColourBytes) {
  EXPECT_EQ(FirstRow(Make(2, 1, PNG_COLOR_TYPE_GRAY, {0x00, 0x7B})), (Pixels{0xFF000000, 0xFF7B7B7B}));
  // Two-bit grey is widened to eight bits: level 1 of 3 is 0x55.
  EXPECT_EQ(FirstRow(Make(4, 1, PNG_COLOR_TYPE_GRAY, {0x1B}, 2)),  // levels 0, 1, 2, 3
            (Pixels{0xFF000000, 0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF}));
  EXPECT_EQ(FirstRow(Make(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, {0x40, 0x90})), (Pixels{0x90404040}));
}

TEST(DecodePng, SixteenBitSamplesKeepTheirHighByte) {
  EXPECT_EQ(FirstRow(Make(1, 1, PNG_COLOR_TYPE_RGBA, {0xAB, 0x12, 0xCD, 0x34, 0xEF, 0x56, 0x7F, 0xFF}, 16)),
            (Pixels{0x7FABCDEF}));
}

TEST(DecodePng, InterlacedImagesDecodeWhole) {
  Image image = Make(9, 9, PNG_COLOR_TYPE_RGB, {});
  image.interlaced = true;
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 9; ++x) image.rows.insert(image.rows.end(), {std::uint8_t(x), std::uint8_t(y), 9});
  auto bitmap = Decode(image);
  ASSERT_TRUE(bitmap);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 9; ++x) ASSERT_EQ(At(*bitmap, x, y), 0xFF000009u | x << 16 | y << 8) << x << "," << y;
}

TEST(DecodePng, TallStripWithAlphaKeepsItsSizeAndTightRows) {
  Image image = Make(40, 2600, PNG_COLOR_TYPE_RGBA, std::vector<std::uint8_t>(40u * 2600 * 4, 0));
  for (int y = 0; y < 2600; ++y) image.rows[static_cast<std::size_t>(y) * 160 + 3] = static_cast<std::uint8_t>(y);
  auto bitmap = Decode(image);
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

TEST(LoadPngResource, MissingResourceGivesNoImage) { EXPECT_FALSE(LoadPngResource(nullptr, 9999)); }
