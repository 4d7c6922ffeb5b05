// A CLAP state handed to the state extension the way a host restores a
// project, through a stream that gives it a few bytes at a time. A refused
// state changes nothing; an accepted one leaves an instance that renders
// finite samples and saves what it took.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/fuzz/FuzzCheck.h"
#include "tools/claphost/ClapHost.h"

extern "C" const clap::clap_plugin_entry clap_entry;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static claphost::ClapHost* host = [] {
    auto* made = new claphost::ClapHost;
    std::string error;
    FUZZ_EXPECT(made->Attach(&clap_entry, "linked", &error), "the plug-in did not load");
    FUZZ_EXPECT(made->Activate(48000, 512), "the plug-in did not activate");
    return made;
  }();
  if (size == 0) return 0;
  // The first byte chooses how many bytes the host's stream gives at a time.
  const std::uint64_t chunk = 1 + data[0] % 64;
  const std::vector<std::uint8_t> state(data + 1, data + size);
  std::vector<std::uint8_t> before;
  FUZZ_EXPECT(host->SaveState(&before), "the state could not be saved");
  if (!host->LoadState(state, chunk)) {
    std::vector<std::uint8_t> after;
    FUZZ_EXPECT(host->SaveState(&after) && after == before, "a refused state changed the instance");
    return 0;
  }
  host->Process(256, {claphost::NoteOn(0, 60, 1.0)});
  host->Process(256, {claphost::NoteOff(0, 60)});
  bool finite = true;
  for (double sample : host->Left()) finite = finite && std::isfinite(sample);
  FUZZ_EXPECT(finite, "an accepted state renders non-finite samples");
  return 0;
}
