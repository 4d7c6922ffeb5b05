// MIDI messages as they travel from the host to the instrument.
#pragma once

#include <cstdint>

struct MidiEvent {
  std::int32_t offset = 0;  // sample position within the current block
  std::uint8_t status = 0;
  std::uint8_t data1 = 0;
  std::uint8_t data2 = 0;
};

// A system-exclusive message; `data` is the host's and valid only during the call.
struct MidiSysEx {
  std::int32_t offset = 0;
  std::int32_t size = 0;
  const std::uint8_t* data = nullptr;
};
