// Standard MIDI Files for the renderer. A refused file leaves the result
// untouched and says why; an accepted one keeps every promise the renderer
// relies on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/fuzz/FuzzCheck.h"
#include "tests/tools/MidiFilePromise.h"
#include "tools/render/MidiFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  render::MidiFile file;
  file.format = -7;
  const std::string error = render::ReadMidiFile(bytes.data(), bytes.size(), file);
  if (!error.empty()) {
    FUZZ_EXPECT(file.format == -7 && file.events.empty(), "a refused file was written");
    return 0;
  }
  const std::string broken = miditest::BrokenPromise(file);
  FUZZ_EXPECT(broken.empty(), broken.c_str());
  return 0;
}
