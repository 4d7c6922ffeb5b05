#include <gtest/gtest.h>

#include <cstdint>

#include "graphics/RasterBitmap.h"
#include "graphics/RasterSysBitmap.h"

using namespace graphics;

namespace {
bool Aligned64(const void* p) { return reinterpret_cast<std::uintptr_t>(p) % 64 == 0; }
}  // namespace

TEST(RasterMemBitmap, RowsArePaddedToFourPixelsAndStorageIs64ByteAligned) {
  const int widths[] = {1, 3, 4, 5, 40, 1093};
  const int spans[] = {4, 4, 4, 8, 40, 1096};
  for (int i = 0; i < 6; ++i) {
    RasterMemBitmap bitmap(widths[i], 3);
    EXPECT_EQ(bitmap.Width(), widths[i]);
    EXPECT_EQ(bitmap.RowSpan(), spans[i]) << widths[i];
    ASSERT_NE(bitmap.Pixels(), nullptr);
    EXPECT_TRUE(Aligned64(bitmap.Pixels()));
    EXPECT_EQ(bitmap.Row(2) - bitmap.Row(0), 2 * spans[i]);
    EXPECT_GE(bitmap.AllocatedBytes(), static_cast<std::size_t>(spans[i]) * 3 * 4);
    EXPECT_FALSE(bitmap.IsFlipped());
    EXPECT_EQ(bitmap.DeviceContext(), nullptr);
  }
}

TEST(RasterMemBitmap, ResizeReportsChangesAndShrinksInPlace) {
  RasterMemBitmap bitmap;
  EXPECT_EQ(bitmap.Pixels(), nullptr);
  EXPECT_TRUE(bitmap.Resize(8, 8));
  EXPECT_FALSE(bitmap.Resize(8, 8));
  std::uint32_t* before = bitmap.Pixels();
  EXPECT_TRUE(bitmap.Resize(2, 2));
  EXPECT_EQ(bitmap.Pixels(), before);
  EXPECT_EQ(bitmap.RowSpan(), 4);
}

TEST(RasterMemBitmap, ZeroNegativeOrImpossibleSizesLeaveAnEmptyBitmap) {
  RasterMemBitmap bitmap(10, 10);
  EXPECT_TRUE(bitmap.Resize(0, 10));
  RasterMemBitmap negative(-5, 3), impossible(0x7FFFFFFF, 0x7FFFFFFF);
  for (const RasterMemBitmap* empty : {&bitmap, &negative, &impossible}) {
    EXPECT_EQ(empty->Pixels(), nullptr);
    EXPECT_EQ(empty->Width(), 0);
    EXPECT_EQ(empty->Height(), 0);
  }
}

TEST(RasterSysBitmap, KeepsItsPixelsWithinTheAllocatedSizeAndRefusesImpossibleOnes) {
  RasterSysBitmap bitmap(1093, 395);
  ASSERT_NE(bitmap.Pixels(), nullptr);
  EXPECT_EQ(bitmap.RowSpan(), 1096);
  EXPECT_EQ(bitmap.AllocatedWidth(), 1096);
  std::uint32_t* before = bitmap.Pixels();
  EXPECT_TRUE(bitmap.Resize(1000, 300));
  EXPECT_EQ(bitmap.Pixels(), before);
  EXPECT_EQ(bitmap.Width(), 1000);
  EXPECT_EQ(bitmap.RowSpan(), 1096);
  EXPECT_FALSE(bitmap.Resize(1000, 300));
  EXPECT_TRUE(bitmap.Resize(1200, 300));
  EXPECT_EQ(bitmap.RowSpan(), 1200);
  EXPECT_FALSE(bitmap.Resize(0, 300));
  EXPECT_EQ(bitmap.Pixels(), nullptr);
  EXPECT_EQ(bitmap.Width(), 0);
  RasterSysBitmap impossible(0x7FFFFFFF, 0x7FFFFFFF);
  EXPECT_EQ(impossible.Pixels(), nullptr);
  EXPECT_EQ(impossible.Width(), 0);
}

TEST(RasterSysBitmap, StartsCleared) {
  for (int round = 0; round < 3; ++round) {
    {
      RasterSysBitmap dirty(64, 64);
      for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) dirty.Row(y)[x] = 0xDEADBEEF;
    }
    RasterSysBitmap fresh(64, 64);
    ASSERT_NE(fresh.Pixels(), nullptr);
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) ASSERT_EQ(fresh.Row(y)[x], 0u);
  }
}
