// PNG decoding: a refused image is null; an accepted one has every pixel
// it claims (each is read, so a short buffer is caught) and none beyond
// what the caller may allocate.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/RasterPng.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  const auto bitmap = graphics::DecodePng(bytes.data(), bytes.size());
  if (!bitmap) return 0;
  FUZZ_EXPECT(bitmap->Width() > 0 && bitmap->Height() > 0, "an empty image accepted");
  std::uint32_t sum = 0;
  for (int y = 0; y < bitmap->Height(); ++y) {
    const std::uint32_t* row = bitmap->Row(y);
    for (int x = 0; x < bitmap->Width(); ++x) sum += row[x];
  }
  volatile std::uint32_t keep = sum;
  (void)keep;
  return 0;
}
