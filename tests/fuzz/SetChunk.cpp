// A bank (CHUNK_INDEX 0) or program (1) chunk handed to effSetChunk the way a
// host restores a session. A refused chunk changes nothing; an accepted one
// leaves an instance that still renders finite samples.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/fuzz/FuzzHost.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static testhost::Instance instance;
  const std::string before = testhost::Snapshot(instance);
  // The host's buffer holds exactly the chunk: a read past it is caught.
  std::vector<std::uint8_t> chunk(data, data + size);
  const vst::VstIntPtr accepted =
      instance.Call(vst::effSetChunk, CHUNK_INDEX, static_cast<vst::VstIntPtr>(size), chunk.data());
  if (!accepted) {
    FUZZ_EXPECT(testhost::Snapshot(instance) == before, "a refused chunk changed the instance");
  } else {
    FUZZ_EXPECT(fuzzhost::RendersFinite(instance), "an accepted chunk renders non-finite samples");
  }
  return 0;
}
