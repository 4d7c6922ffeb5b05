#include "vst3/Vst3Text.h"

using vst3::TChar;

void CopyText(TChar* field, const char* text, int capacity) {
  if (!field || capacity <= 0) return;
  int out = 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text ? text : "");
  while (*bytes && out < capacity - 1) {
    // One UTF-8 sequence; a malformed byte stands for itself (Latin-1).
    char32_t code = *bytes++;
    int more = code >= 0xF0 ? 3 : code >= 0xE0 ? 2 : code >= 0xC0 ? 1 : 0;
    if (more > 0) {
      char32_t value = code & (0x3F >> more);
      int i = 0;
      while (i < more && (bytes[i] & 0xC0) == 0x80) value = value << 6 | (bytes[i++] & 0x3F);
      if (i == more) {
        code = value;
        bytes += more;
      }
    }
    if (code >= 0x10000) {
      if (out + 2 > capacity - 1) break;
      code -= 0x10000;
      field[out++] = static_cast<TChar>(0xD800 + (code >> 10));
      field[out++] = static_cast<TChar>(0xDC00 + (code & 0x3FF));
    } else {
      field[out++] = static_cast<TChar>(code);
    }
  }
  field[out] = 0;
}

std::string Utf8Of(const TChar* text, int capacity) {
  std::string out;
  for (int i = 0; text && i < capacity && text[i]; ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < capacity && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | code >> 6);
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | code >> 12);
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | code >> 18);
      out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}
