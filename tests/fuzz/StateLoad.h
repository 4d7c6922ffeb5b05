// The promise of the targets that hand a plug-in a state through a format's
// test host: the first byte chooses how many bytes the host's stream gives
// at a time, the rest is the state. A refused state changes nothing; an
// accepted one leaves an instance that renders finite samples.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/fuzz/FuzzCheck.h"

namespace fuzz {

// `host` is active; `playNote` renders a note through it into Left().
template <typename Host, typename PlayNote>
void LoadStateOrChangeNothing(Host& host, const std::uint8_t* data, std::size_t size, PlayNote playNote) {
  if (size == 0) return;
  const std::size_t chunk = 1 + data[0] % 64;
  const std::vector<std::uint8_t> state(data + 1, data + size);
  std::vector<std::uint8_t> before;
  FUZZ_EXPECT(host.SaveState(&before), "the state could not be saved");
  if (!host.LoadState(state, chunk)) {
    std::vector<std::uint8_t> after;
    FUZZ_EXPECT(host.SaveState(&after) && after == before, "a refused state changed the instance");
    return;
  }
  playNote(host);
  bool finite = true;
  for (double sample : host.Left()) finite = finite && std::isfinite(sample);
  FUZZ_EXPECT(finite, "an accepted state renders non-finite samples");
}

}  // namespace fuzz
