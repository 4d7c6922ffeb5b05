// Standard MIDI Files (format 0 and 1, ticks per quarter note) read into
// one time-ordered list of events plus the tempo and time-signature maps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace render {

struct MidiFileEvent {
  std::uint64_t tick = 0;  // from the start of the file
  std::int32_t track = 0;
  // A channel message with its status byte (a note-on with velocity 0
  // arrives as the note-off it means), or a whole F0 ... F7 dump.
  std::vector<std::uint8_t> bytes;
};

struct TempoChange {
  std::uint64_t tick = 0;
  std::uint32_t microsecondsPerQuarter = 500000;
};

struct TimeSignatureChange {
  std::uint64_t tick = 0;
  std::int32_t numerator = 4;
  std::int32_t denominator = 4;
};

struct MidiFile {
  std::int32_t format = 0;
  std::int32_t trackCount = 0;
  std::int32_t ticksPerQuarter = 480;
  std::vector<MidiFileEvent> events;                      // every track, ordered by tick, then track, then file order
  std::vector<TempoChange> tempoChanges;                  // ordered by tick, one per tick (the last one given)
  std::vector<TimeSignatureChange> timeSignatureChanges;  // likewise
  std::uint64_t endTick = 0;                              // the latest event or end of track
};

// Reads a whole file held in memory. Returns an empty text on success, else
// where and why reading stopped; `file` is only written on success.
std::string ReadMidiFile(const std::uint8_t* data, std::size_t size, MidiFile& file);
std::string LoadMidiFile(const std::string& path, MidiFile& file);

}  // namespace render
