// The keys held down (or latched), sorted ascending without duplicates. The
// shell owns the list and empties it at a reset; key assignment and the
// arpeggiator maintain it.
#pragma once

#include <cstdint>

constexpr int kHeldKeySlots = 128;
constexpr std::int32_t kNoKey = 256;  // marks an empty slot

struct HeldKeys {
  std::int32_t keys[kHeldKeySlots];
  std::int32_t count = 0;    // keys in the list
  std::int32_t pressed = 0;  // listed keys still physically down

  HeldKeys() { Clear(); }
  void Clear() {
    for (std::int32_t& key : keys) key = kNoKey;
    count = 0;
    pressed = 0;
  }
};
