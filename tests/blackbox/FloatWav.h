// 32-bit float WAV files as the renderer and hosts write them, read whole by
// the comparison programs of the tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace floatwav {

struct Wav {
  std::uint16_t channels = 0;
  std::uint32_t rate = 0;
  std::vector<float> samples;  // interleaved
};

inline std::uint32_t Le32(const std::vector<unsigned char>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

// False with `why` set when the file is not a WAV file of 32-bit floats.
inline bool Read(const char* path, Wav& wav, std::string& why) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) || std::memcmp(b.data() + 8, "WAVE", 4)) {
    why = std::string(path) + " is not a WAV file";
    return false;
  }
  bool isFloat = false;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::uint32_t size = Le32(b, at + 4);
    if (size > b.size() - at - 8) break;
    if (!std::memcmp(b.data() + at, "fmt ", 4) && size >= 16) {
      isFloat = (b[at + 8] | b[at + 9] << 8) == 3 && (b[at + 22] | b[at + 23] << 8) == 32;
      wav.channels = static_cast<std::uint16_t>(b[at + 10] | b[at + 11] << 8);
      wav.rate = Le32(b, at + 12);
    } else if (!std::memcmp(b.data() + at, "data", 4)) {
      wav.samples.resize(size / 4);
      std::memcpy(wav.samples.data(), b.data() + at + 8, wav.samples.size() * 4);
    }
    at += 8 + size + (size & 1);
  }
  if (!isFloat || wav.channels == 0) {
    why = std::string(path) + " holds no 32-bit float samples";
    return false;
  }
  return true;
}

}  // namespace floatwav
