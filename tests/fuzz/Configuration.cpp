// The configuration file as the user or another version may have left it:
// the INI reader and the parsing of the switches, the folders and the
// learned controllers. A save leaves the file a save key by key (a reread
// and rewrite for each) would leave, and whatever was read, the switches the
// instance writes back read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "instrument/Configuration.h"
#include "instrument/Synth.h"
#include "platform/ProfileFile.h"
#include "tests/config/UserFolders.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzHost.h"
#include "vst2/VstPlugin.h"

namespace {

namespace cfg = configuration;

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

// The instance's settings saved key by key, as earlier versions saved them.
void SaveKeyByKey(const std::string& path, const Synth& synth, bool midiOnly) {
  platform::ClearProfileSection(path, cfg::kStartupBankSection);
  platform::WriteProfileValue(path, cfg::kStartupBankSection, cfg::kStartupBankKey, synth.StartupBankPath().c_str());
  platform::WriteProfileValue(path, cfg::kMidiGlobalSection, cfg::kMidiThruKey, cfg::SwitchText(synth.MidiThru()));
  platform::WriteProfileValue(path, cfg::kMidiGlobalSection, cfg::kIgnoreProgramChangeKey,
                              cfg::SwitchText(synth.IgnoresProgramChange()));
  if (midiOnly) return;
  platform::ClearProfileSection(path, cfg::kEditorSection);
  platform::ClearProfileSection(path, cfg::kMidiControlSection);
  for (int k = 0; k < Synth::kLearnableControllers; ++k)
    if (synth.LearnedParameter(k) >= 0)
      platform::WriteProfileValue(path, cfg::kMidiControlSection, cfg::ControllerKey(k).c_str(),
                                  std::to_string(synth.LearnedParameter(k)).c_str());
}

void ExpectTheKeyByKeySave(Synth& synth, bool midiOnly) {
  const std::string& path = synth.ConfigurationPath();
  const std::string byKeys = path + ".by-keys";
  testfolders::WriteText(byKeys, testfolders::FileText(path));
  SaveKeyByKey(byKeys, synth, midiOnly);
  synth.WriteConfiguration(midiOnly);
  FUZZ_EXPECT(testfolders::FileText(path) == testfolders::FileText(byKeys),
              "a save leaves another file than the key-by-key save");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  testhost::Instance& instance = SharedInstance();
  auto& synth = *InstrumentOf(instance.effect);
  const std::string path = synth.ConfigurationPath();
  if (path.empty()) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  testfolders::WriteText(path, text);
  synth.ReadConfiguration();
  const bool thru = synth.MidiThru();
  const bool ignoreProgramChange = synth.IgnoresProgramChange();
  ExpectTheKeyByKeySave(synth, /*midiOnly=*/true);
  synth.ReadConfiguration();
  FUZZ_EXPECT(synth.MidiThru() == thru && synth.IgnoresProgramChange() == ignoreProgramChange,
              "the switches written do not read back");
  ExpectTheKeyByKeySave(synth, /*midiOnly=*/false);
  return 0;
}
