// MIDI messages as they travel from the host to the instrument.
#pragma once

#include <cstdint>

struct MidiEvent {
  std::int32_t offset = 0;  // sample position within the current block
  std::uint8_t status = 0;
  std::uint8_t data1 = 0;
  std::uint8_t data2 = 0;
};

// A note velocity of 0–1, as formats other than MIDI give it, as MIDI's
// 1–127 for a note on (0 would end the note) and 0–127 for a note off.
inline std::uint8_t MidiVelocity(double velocity, bool noteOn) {
  if (!(velocity > 0)) velocity = 0;  // NaN too
  int v = static_cast<int>((velocity < 1 ? velocity : 1) * 127.0 + 0.5);
  if (noteOn && v < 1) v = 1;
  return static_cast<std::uint8_t>(v);
}

// A system-exclusive message; `data` is the host's and valid only during the call.
struct MidiSysEx {
  std::int32_t offset = 0;
  std::int32_t size = 0;
  const std::uint8_t* data = nullptr;
};
