#include <gtest/gtest.h>

#include "plugin/StateBuffer.h"

TEST(StateBuffer, ValuesReadBackInLittleEndianOrder) {
  StateBuffer b;
  b.AppendInt32(0x01020304);
  b.AppendDouble(-2.5);
  b.AppendString("abc");
  ASSERT_EQ(b.Size(), 4 + 8 + 4 + 3);
  EXPECT_EQ(b.Data()[0], 0x04);
  std::int32_t i = 0;
  double d = 0;
  char s[8] = "x";
  int p = b.ReadInt32(0, &i);
  p = b.ReadDouble(p, &d);
  p = b.ReadString(p, s, sizeof s);
  EXPECT_EQ(i, 0x01020304);
  EXPECT_EQ(d, -2.5);
  EXPECT_STREQ(s, "abc");
  EXPECT_EQ(p, b.Size());
  EXPECT_EQ(b.ReadInt32(p, &i), -1);
}

TEST(StateBuffer, StringRunningPastTheEndLeavesTheNameAndPointsBeyond) {
  StateBuffer b;
  b.AppendInt32(10);
  b.AppendBytes("abc", 3);
  char s[8] = "keep";
  EXPECT_EQ(b.ReadString(0, s, sizeof s), 14);
  EXPECT_STREQ(s, "keep");
}

TEST(StateBuffer, HostileLengthsNeitherOverflowNorMoveBackwards) {
  StateBuffer b;
  b.AppendInt32(0x7FFFFFFF);
  char s[8] = "keep";
  EXPECT_GT(b.ReadString(0, s, sizeof s), b.Size());
  StateBuffer n;
  n.AppendInt32(-100);
  EXPECT_EQ(n.ReadString(0, s, sizeof s), 4);
  EXPECT_STREQ(s, "");
}

TEST(ChunkHeader, SixBytesWithMarkerGiveVersionZeroAndFailure) {
  StateBuffer b;
  WriteChunkHeader(b);
  b.Resize(6);
  int p = 0;
  EXPECT_EQ(ReadChunkHeader(b, p), 0u);
  EXPECT_EQ(p, -1);
  StateBuffer full;
  WriteChunkHeader(full);
  p = 0;
  EXPECT_EQ(ReadChunkHeader(full, p), kChunkVersion);
  EXPECT_EQ(p, 8);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(full.Data()), 4), "tffp");
}
