// Program and bank files in every form the product reads. The first byte
// chooses the reader; the rest is the file. A refused file changes nothing;
// an accepted one leaves an instance that still renders finite samples.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "instrument/ProgramFiles.h"
#include "tests/fuzz/FuzzHost.h"
#include "vst2/VstPlugin.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static testhost::Instance instance;
  if (size < 1) return 0;
  EffectBase& plugin = *InstrumentOf(instance.effect);
  const std::string file(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string before = testhost::Snapshot(instance);
  bool accepted = false;
  switch (data[0] % 3) {
    case 0: accepted = programfiles::ReadProgramFile(plugin, file); break;
    case 1: accepted = programfiles::ReadBankFile(plugin, file); break;
    default: {
      // A buffer of exactly the image's size: a read past it is caught.
      const std::vector<char> image(file.begin(), file.end());
      accepted = programfiles::ReadBankImage(plugin, image.data(), image.size());
      break;
    }
  }
  if (!accepted) {
    FUZZ_EXPECT(testhost::Snapshot(instance) == before, "a refused file changed the instance");
  } else {
    FUZZ_EXPECT(fuzzhost::RendersFinite(instance), "an accepted file renders non-finite samples");
  }
  return 0;
}
