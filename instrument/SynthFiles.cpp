// Synth's program and bank file commands and the startup bank.
#include <string>

#include "instrument/ProgramFiles.h"
#include "instrument/Synth.h"
#include "platform/FileSystem.h"
#include "platform/ModuleResource.h"

namespace {

constexpr const char* kFactoryBankName = "PROGINIT";
constexpr const char* kFactoryBankType = "PROGDATA";

bool ReadFile(const std::string& path, std::string& bytes) {
  return !path.empty() && platform::ReadWholeFile(path, programfiles::kMaximumFileBytes, bytes);
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  return !path.empty() && !bytes.empty() && platform::WriteFileAtomically(path, bytes);
}

}  // namespace

bool Synth::SaveProgramFile(const std::string& path) { return WriteFile(path, programfiles::WriteProgramFile(*this)); }

bool Synth::LoadProgramFile(const std::string& path) {
  std::string bytes;
  return ReadFile(path, bytes) && programfiles::ReadProgramFile(*this, bytes);
}

bool Synth::SaveBankFile(const std::string& path) { return WriteFile(path, programfiles::WriteBankFile(*this)); }

bool Synth::LoadBankFile(const std::string& path) {
  std::string bytes;
  return ReadFile(path, bytes) && programfiles::ReadBankFile(*this, bytes);
}

bool Synth::WriteBankState(StateBuffer& buffer) {
  Lock lock(*this);
  buffer.Clear();
  WriteChunkHeader(buffer);
  ModifyCurrentPreset(nullptr);
  return SerializePresets(buffer) && buffer.Size() > 0;
}

bool Synth::ReadBankState(const StateBuffer& buffer) {
  Lock lock(*this);
  int start = 0;
  const std::uint32_t version = ReadChunkHeader(buffer, start);
  if (start < 0 || version < kChunkVersion) return false;
  if (MeasurePresets(buffer, start) < 0) return false;
  UnserializePresets(buffer, start);
  RefreshParameterControls();
  return true;
}

void Synth::LoadBankImage(const void* data, std::size_t size) { programfiles::ReadBankImage(*this, data, size); }

void Synth::LoadStartupBank() {
  if (!startupBankPath_.empty() && LoadBankFile(startupBankPath_)) return;
  // A missing or damaged startup bank falls back without a word. The path
  // is kept: the next save of the configuration would otherwise erase the
  // user's choice, say of a bank on a drive that is not plugged in today.
  platform::ResourceBytes bank;
  if (platform::FindModuleResource(kFactoryBankName, kFactoryBankType, &bank)) LoadBankImage(bank.data, bank.size);
}
