// Reading the big-endian headers of program and bank files in tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace filetest {

inline std::uint32_t BigEndian32(const std::string& bytes, std::size_t offset) {
  return std::uint32_t(std::uint8_t(bytes[offset])) << 24 | std::uint32_t(std::uint8_t(bytes[offset + 1])) << 16 |
         std::uint32_t(std::uint8_t(bytes[offset + 2])) << 8 | std::uint8_t(bytes[offset + 3]);
}

// The 160-byte header of a bank file in the chunk form, as this plug-in writes it.
inline void ExpectBankHeader(const std::string& bank, std::uint32_t currentProgram) {
  ASSERT_GT(bank.size(), 164u);
  EXPECT_EQ(bank.substr(0, 4), "CcnK");
  EXPECT_EQ(BigEndian32(bank, 4), bank.size());
  EXPECT_EQ(bank.substr(8, 4), "FBCh");
  EXPECT_EQ(BigEndian32(bank, 12), 2u);
  EXPECT_EQ(bank.substr(16, 4), "1416");
  EXPECT_EQ(BigEndian32(bank, 20), 20302u);
  EXPECT_EQ(BigEndian32(bank, 24), 64u);
  EXPECT_EQ(BigEndian32(bank, 28), currentProgram);
  EXPECT_EQ(bank.substr(32, 124), std::string(124, '\0'));
  EXPECT_EQ(BigEndian32(bank, 156), bank.size() - 160);
  EXPECT_EQ(bank.substr(160, 4), "tffp");
}

}  // namespace filetest
