// A short MIDI message as the engine takes it, and the numbers of the
// messages and controllers the plug-in acts on.
#pragma once

#include <cstdint>

namespace dsp {

struct MidiMessage {
  std::uint8_t status = 0;
  std::uint8_t data1 = 0;
  std::uint8_t data2 = 0;
};

namespace midi {

// Status bytes with the channel nibble cleared.
constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kPolyPressure = 0xA0;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kProgramChange = 0xC0;
constexpr std::uint8_t kChannelPressure = 0xD0;
constexpr std::uint8_t kPitchBend = 0xE0;
constexpr std::uint8_t kSystem = 0xF0;  // and above: no channel

constexpr int kModulationWheel = 1;
constexpr int kAllSoundOff = 120;
constexpr int kAllNotesOff = 123;

inline std::uint8_t KindOf(std::uint8_t status) { return status & 0xF0; }

// Note, pressure, controller, program and bend messages: 0x80–0xEF.
inline bool IsChannelMessage(std::uint8_t status) { return status >= kNoteOff && status < kSystem; }

// MIDI data bytes carry seven bits; a host's stray top bit is dropped.
inline std::int32_t DataOf(std::uint8_t byte) { return byte & 0x7F; }

}  // namespace midi

}  // namespace dsp
