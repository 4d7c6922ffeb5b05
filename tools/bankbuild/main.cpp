// kestrion-bankbuild SOURCE.txt OUT.fxb: builds the factory bank from its
// readable source with the plug-in's own serialization.
#include <cstdio>
#include <string>
#include <vector>

#include "instrument/Kestrion.h"
#include "instrument/ProgramFiles.h"
#include "platform/FileSystem.h"
#include "tools/bankbuild/BankSource.h"
#include "vst2/VstPlugin.h"

namespace {

vst::VstIntPtr SilentHost(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

int Fail(const std::string& why) {
  std::fprintf(stderr, "kestrion-bankbuild: %s\n", why.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: kestrion-bankbuild SOURCE.txt OUT.fxb");
  std::string text;
  if (!platform::ReadWholeFile(argv[1], 1 << 20, text)) return Fail(std::string("cannot read ") + argv[1]);
  std::vector<bankbuild::ProgramSource> programs;
  std::string error = bankbuild::ParseBankSource(text, programs);
  if (!error.empty()) return Fail(std::string(argv[1]) + ", " + error);

  vst::AEffect* effect = CreateKestrion(&SilentHost);
  if (!effect) return Fail("the plug-in could not be created");
  effect->dispatcher(effect, vst::effOpen, 0, 0, nullptr, 0);
  EffectBase& plugin = *InstrumentOf(effect);
  error = bankbuild::ApplyBankSource(plugin, programs);
  const std::string bank = error.empty() ? programfiles::WriteBankFile(plugin) : "";
  effect->dispatcher(effect, vst::effClose, 0, 0, nullptr, 0);
  if (!error.empty()) return Fail(std::string(argv[1]) + ", " + error);
  if (bank.empty() || !platform::WriteFileAtomically(argv[2], bank))
    return Fail(std::string("cannot write ") + argv[2]);
  return 0;
}
