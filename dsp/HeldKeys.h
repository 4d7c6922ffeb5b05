// The keys held down (or latched), sorted ascending without duplicates. The
// plug-in keeps the list between blocks and empties it at a reset; the note
// router and the arpeggiator maintain it.
#pragma once

#include <cstdint>

namespace dsp {

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

// Slot of `key`, or -1.
int FindKey(const HeldKeys& held, std::int32_t key);

// Sorted insertion of a pressed key; a full list or a listed key changes nothing.
void ListKey(HeldKeys& held, std::int32_t key);

// A listed key comes up: it leaves the list unless it is `latched`.
void UnlistKey(HeldKeys& held, std::int32_t key, bool latched);

}  // namespace dsp
