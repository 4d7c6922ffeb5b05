#include "dsp/HeldKeys.h"

namespace dsp {

int FindKey(const HeldKeys& held, std::int32_t key) {
  for (int i = 0; i < held.count && i < kHeldKeySlots; ++i)
    if (held.keys[i] == key) return i;
  return -1;
}

void ListKey(HeldKeys& held, std::int32_t key) {
  if (held.count >= kHeldKeySlots || FindKey(held, key) >= 0) return;
  int at = held.count;
  while (at > 0 && held.keys[at - 1] > key) {
    held.keys[at] = held.keys[at - 1];
    --at;
  }
  held.keys[at] = key;
  ++held.count;
  ++held.pressed;
}

void UnlistKey(HeldKeys& held, std::int32_t key, bool latched) {
  if (held.count > kHeldKeySlots) return;
  const int at = FindKey(held, key);
  if (at < 0) return;
  if (held.pressed > 0) --held.pressed;
  if (latched) return;  // a latched key stays listed
  for (int i = at; i + 1 < held.count; ++i) held.keys[i] = held.keys[i + 1];
  --held.count;
  held.keys[held.count] = kNoKey;
}

}  // namespace dsp
