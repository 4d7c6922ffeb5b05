// Fixed-size, zero-terminated texts as the host boundary uses them.
#pragma once

#include <cstddef>
#include <cstring>

// Copies `from` into `to` (capacity bytes, terminator included), cutting it.
inline void CopyText(char* to, const char* from, size_t capacity) {
  if (!to || capacity == 0) return;
  size_t n = from ? std::strlen(from) : 0;
  if (n >= capacity) n = capacity - 1;
  if (n) std::memcpy(to, from, n);
  to[n] = 0;
}

template <size_t N>
void CopyText(char (&to)[N], const char* from) {
  CopyText(to, from, N);
}

constexpr size_t kNameLength = 32;         // parameter names, labels, value names
constexpr size_t kPresetNameLength = 256;  // preset names
constexpr size_t kIdentityLength = 128;    // effect, product and maker names
constexpr size_t kPathLength = 1024;       // paths and formatted messages
