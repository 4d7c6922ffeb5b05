// What the renderer relies on in a file the MIDI file reader accepted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/render/MidiFile.h"

namespace miditest {

inline std::string BrokenPromise(const render::MidiFile& file) {
  if (file.ticksPerQuarter <= 0) return "no ticks per quarter note";
  for (std::size_t i = 0; i < file.events.size(); ++i) {
    const render::MidiFileEvent& event = file.events[i];
    const std::string where = "event " + std::to_string(i) + ": ";
    if (i > 0 && (event.tick < file.events[i - 1].tick ||
                  (event.tick == file.events[i - 1].tick && event.track < file.events[i - 1].track)))
      return where + "out of order";
    if (event.tick > file.endTick) return where + "after the end";
    const std::vector<std::uint8_t>& bytes = event.bytes;
    if (bytes.empty()) return where + "empty";
    if (bytes[0] == 0xF0) {
      if (bytes.back() != 0xF7) return where + "unterminated system exclusive";
      continue;
    }
    if (bytes[0] < 0x80 || bytes[0] >= 0xF0) return where + "no channel status";
    const std::size_t length = (bytes[0] & 0xF0) == 0xC0 || (bytes[0] & 0xF0) == 0xD0 ? 2 : 3;
    if (bytes.size() != length) return where + "wrong length";
    for (std::size_t b = 1; b < bytes.size(); ++b)
      if (bytes[b] >= 0x80) return where + "status byte among the data";
  }
  for (std::size_t i = 0; i < file.tempoChanges.size(); ++i) {
    if (file.tempoChanges[i].microsecondsPerQuarter == 0) return "tempo of zero";
    if (i > 0 && file.tempoChanges[i].tick <= file.tempoChanges[i - 1].tick) return "tempo changes out of order";
  }
  for (const render::TimeSignatureChange& change : file.timeSignatureChanges) {
    const std::int32_t d = change.denominator;
    if (change.numerator <= 0 || d <= 0 || (d & (d - 1)) != 0) return "impossible time signature";
  }
  return "";
}

}  // namespace miditest
