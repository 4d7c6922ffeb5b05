// Reading and writing the big-endian headers of program and bank files in tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

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

// Writing them.
inline void PutBigEndian32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

inline void PutFloat(std::string& out, float value) {
  std::uint32_t raw;
  std::memcpy(&raw, &value, sizeof raw);
  PutBigEndian32(out, raw);
}

inline std::string Code(const char* four) { return std::string(four, 4); }

// A parameter-list program as other plug-in hosts write them.
inline std::string ParameterListProgram(const std::vector<float>& values, const char* name, std::int32_t declared = -1,
                                        const char* fxId = "1416") {
  std::string out = Code("CcnK");
  PutBigEndian32(out, static_cast<std::uint32_t>(48 + 4 * values.size()));
  out += Code("FxCk");
  PutBigEndian32(out, 1);
  out += Code(fxId);
  PutBigEndian32(out, 1);
  PutBigEndian32(out, static_cast<std::uint32_t>(declared >= 0 ? declared : std::int32_t(values.size())));
  char field[28] = {};
  std::strncpy(field, name, 27);
  out.append(field, 28);
  for (float value : values) PutFloat(out, value);
  return out;
}

}  // namespace filetest
