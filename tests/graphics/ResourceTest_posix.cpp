#include <gtest/gtest.h>

#include "graphics/RasterPng.h"
#include "graphics/RasterResource.h"
#include "tests/graphics/PngMaker.h"

using namespace graphics;

TEST(LoadPngResource, DecodesARegisteredResourceAndRefusesShortOnes) {
  pngmaker::Image image;
  image.width = 1;
  image.height = 1;
  image.rows = {1, 2, 3, 4};
  static const auto data = pngmaker::Encode(image);
  RegisterModuleResource(7101, "PNG", data.data(), data.size());
  auto bitmap = LoadPngResource(nullptr, 7101);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->Row(0)[0], 0x04010203u);
  EXPECT_FALSE(LoadPngResource(nullptr, 7102));

  // The whole signature but nothing more is still too short; seven bytes are refused up front.
  RegisterModuleResource(7103, "PNG", data.data(), 7);
  EXPECT_FALSE(LoadPngResource(nullptr, 7103));
  RegisterModuleResource(7104, "DATA", data.data(), data.size());
  EXPECT_FALSE(LoadPngResource(nullptr, 7104));
}
