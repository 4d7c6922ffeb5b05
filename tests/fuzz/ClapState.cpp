// A CLAP state handed to the state extension the way a host restores a
// project, through a stream that gives it a few bytes at a time
// (StateLoad.h says what must hold).
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/StateLoad.h"
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
  fuzz::LoadStateOrChangeNothing(*host, data, size, [](claphost::ClapHost& active) {
    active.Process(256, {claphost::NoteOn(0, 60, 1.0)});
    active.Process(256, {claphost::NoteOff(0, 60)});
  });
  return 0;
}
