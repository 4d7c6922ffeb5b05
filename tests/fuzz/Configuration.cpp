// The configuration file as the user or another version may have left it:
// the INI reader and the parsing of the switches, the folders and the
// learned controllers. Whatever was read, the switches the instance writes
// back read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "vst2/VstPlugin.h"
#include "instrument/Synth.h"
#include "tests/config/UserFolders.h"
#include "tests/fuzz/FuzzHost.h"

namespace {

testhost::Instance& SharedInstance() {
  static testhost::Instance* instance = [] {
    // scripts/fuzz.sh names a folder in memory: every input writes the file.
    if (const char* folder = std::getenv("KESTRION_FUZZ_CONFIG_HOME"))
      setenv("XDG_CONFIG_HOME", folder, 1);
    else
      testfolders::UseFreshUserFolders();
    return new testhost::Instance;
  }();
  return *instance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  testhost::Instance& instance = SharedInstance();
  auto& synth = *InstrumentOf(instance.effect);
  const std::string path = synth.ConfigurationPath();
  if (path.empty()) return 0;
  testfolders::WriteText(path, std::string(reinterpret_cast<const char*>(data), size));
  synth.ReadConfiguration();
  const bool thru = synth.MidiThru();
  const bool ignoreProgramChange = synth.IgnoresProgramChange();
  synth.WriteConfiguration(/*midiOnly=*/true);
  synth.ReadConfiguration();
  FUZZ_EXPECT(synth.MidiThru() == thru && synth.IgnoresProgramChange() == ignoreProgramChange,
              "the switches written do not read back");
  return 0;
}
