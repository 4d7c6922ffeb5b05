// A VST 3 component state handed to the plug-in linked in the way a host
// restores a project, through a stream that gives it a few bytes at a time
// (StateLoad.h says what must hold).
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/StateLoad.h"
#include "tools/vst3host/Vst3Host.h"

extern "C" vst3::IPluginFactory* GetPluginFactory();

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vst3host::Vst3Host* host = [] {
    auto* made = new vst3host::Vst3Host;
    std::string error;
    FUZZ_EXPECT(made->Attach(&GetPluginFactory, "linked", &error), "the plug-in did not load");
    FUZZ_EXPECT(made->Activate(48000, 512), "the plug-in did not activate");
    return made;
  }();
  fuzz::LoadStateOrChangeNothing(*host, data, size, [](vst3host::Vst3Host& active) {
    active.Process(256, {vst3host::NoteOn(0, 60, 1.0f)});
    active.Process(256, {vst3host::NoteOff(0, 60)});
  });
  return 0;
}
