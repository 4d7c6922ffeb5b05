// Standard MIDI Files for the renderer. A refused file leaves the result
// untouched and says why; an accepted one is in the order it promises.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/render/MidiFile.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  render::MidiFile file;
  file.format = -7;
  const std::string error = render::ReadMidiFile(bytes.data(), bytes.size(), file);
  if (!error.empty()) {
    FUZZ_EXPECT(file.format == -7 && file.events.empty(), "a refused file was written");
    return 0;
  }
  for (std::size_t i = 0; i < file.events.size(); ++i) {
    const render::MidiFileEvent& event = file.events[i];
    FUZZ_EXPECT(!event.bytes.empty(), "an event without bytes");
    FUZZ_EXPECT(event.tick <= file.endTick, "an event after the end");
    if (i > 0) FUZZ_EXPECT(file.events[i - 1].tick <= event.tick, "events out of order");
  }
  for (std::size_t i = 1; i < file.tempoChanges.size(); ++i)
    FUZZ_EXPECT(file.tempoChanges[i - 1].tick < file.tempoChanges[i].tick, "tempo changes out of order");
  for (const render::TempoChange& change : file.tempoChanges)
    FUZZ_EXPECT(change.microsecondsPerQuarter > 0, "a tempo of no length");
  FUZZ_EXPECT(file.ticksPerQuarter > 0, "no ticks per quarter note");
  return 0;
}
