// The fuzz bytes read in order, as the stream targets consume them; zeros
// once they run out, so every input is a whole stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace fuzz {

struct Reader {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t position = 0;
  bool More() const { return position < size; }
  std::uint8_t Byte() { return position < size ? data[position++] : 0; }
  std::uint16_t Word() { return static_cast<std::uint16_t>(Byte() << 8 | Byte()); }
  // A value of any trivially copyable type, byte by byte.
  template <typename T>
  T Raw() {
    std::uint8_t bytes[sizeof(T)];
    for (std::uint8_t& b : bytes) b = Byte();
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
  }
};

}  // namespace fuzz
