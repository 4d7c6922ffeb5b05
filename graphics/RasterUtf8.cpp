#include "graphics/RasterUtf8.h"

namespace graphics {

namespace {

// Length of the valid sequence starting at text[position], or 0 when the
// byte there starts none (a lone continuation byte, an overlong or
// surrogate form, or a sequence cut short).
int SequenceLength(const unsigned char* text, int length, int position) {
  const unsigned char lead = text[position];
  int count = 0;
  std::uint32_t lowest = 0;
  if (lead >= 0xC2 && lead <= 0xDF)
    count = 2, lowest = 0x80;
  else if (lead >= 0xE0 && lead <= 0xEF)
    count = 3, lowest = 0x800;
  else if (lead >= 0xF0 && lead <= 0xF4)
    count = 4, lowest = 0x10000;
  else
    return 0;
  if (position + count > length) return 0;
  std::uint32_t value = lead & (0x7F >> count);
  for (int i = 1; i < count; ++i) {
    const unsigned char next = text[position + i];
    if ((next & 0xC0) != 0x80) return 0;
    value = value << 6 | (next & 0x3F);
  }
  if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  return count;
}

}  // namespace

std::uint32_t NextCharacter(const char* text, int length, int* position) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  const int start = *position;
  const int count = SequenceLength(bytes, length, start);
  if (count == 0) {
    *position = start + 1;
    return bytes[start];
  }
  std::uint32_t value = bytes[start] & (0x7F >> count);
  for (int i = 1; i < count; ++i) value = value << 6 | (bytes[start + i] & 0x3F);
  *position = start + count;
  return value;
}

bool HasMultiByteCharacter(const char* text, int length) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  for (int i = 0; i < length; ++i)
    if (bytes[i] >= 0x80 && SequenceLength(bytes, length, i) > 0) return true;
  return false;
}

}  // namespace graphics
