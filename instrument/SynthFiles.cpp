// Synth's program and bank file commands and the startup bank.
#include <algorithm>
#include <cstring>
#include <string>

#include "instrument/ProgramFiles.h"
#include "instrument/Synth.h"
#include "platform/FileSystem.h"
#include "platform/ModuleResource.h"
#include "plugin/PanelSizes.h"

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

// After the bank, which ends where the VST 2.4 chunk ends (VST 2.4 hosts
// keep the current program themselves, and that plug-in reads no further),
// a tag and the current program's number.
constexpr char kCurrentProgramTag[4] = {'K', 'c', 'u', 'r'};
// After it, the panel size the user chose for the instance (0 for none).
constexpr char kPanelSizeTag[4] = {'K', 'z', 'o', 'm'};

namespace {

// Whether what follows `position` starts like `tag`: a tag cut anywhere
// counts, so that a state cut short inside a tag is refused, not half read.
bool TrailerTagAt(const StateBuffer& buffer, int position, const char (&tag)[4]) {
  const int tagged = std::min(buffer.Remaining(position), 4);
  return tagged > 0 && std::memcmp(buffer.Data() + position, tag, static_cast<std::size_t>(tagged)) == 0;
}

}  // namespace

bool Synth::WriteBankState(StateBuffer& buffer) {
  Lock lock(*this);
  buffer.Clear();
  WriteChunkHeader(buffer);
  ModifyCurrentPreset(nullptr);
  if (!SerializePresets(buffer)) return false;
  buffer.AppendBytes(kCurrentProgramTag, sizeof kCurrentProgramTag);
  buffer.AppendInt32(CurrentPreset());
  buffer.AppendBytes(kPanelSizeTag, sizeof kPanelSizeTag);
  buffer.AppendInt32(panelZoom_.load(std::memory_order_relaxed));
  return buffer.Size() > 0;
}

bool Synth::ReadBankState(const StateBuffer& buffer) {
  Lock lock(*this);
  int start = 0;
  const std::uint32_t version = ReadChunkHeader(buffer, start);
  if (start < 0 || version < kChunkVersion) return false;
  const int end = MeasurePresets(buffer, start);
  if (end < 0) return false;
  // A bank without the current program (a VST 2.4 chunk) keeps the one now
  // selected; a number outside the bank is refused with the rest.
  int program = CurrentPreset();
  int position = end;
  std::int32_t saved = -1;
  if (TrailerTagAt(buffer, position, kCurrentProgramTag)) {
    if (buffer.ReadInt32(position + 4, &saved) < 0) return false;  // cut short
    if (saved < 0 || saved >= PresetCount()) return false;
    program = saved;
    position += 8;
  }
  // A size this version does not offer leaves the panel as it is: the
  // programs matter more than the panel.
  std::int32_t zoom = -1;
  if (TrailerTagAt(buffer, position, kPanelSizeTag) && buffer.ReadInt32(position + 4, &zoom) < 0) return false;
  if (zoom == 0 || IsZoomStep(zoom)) panelZoom_ = zoom;
  UnserializePresets(buffer, start);
  if (program != CurrentPreset()) ActivatePreset(program);
  RefreshParameterControls();
  return true;
}

void Synth::LoadBankImage(const void* data, std::size_t size) { programfiles::ReadBankImage(*this, data, size); }

void Synth::LoadStartupBank() {
  if (!startupBankPath_.empty() && LoadBankFile(startupBankPath_)) return;
  // A missing or damaged startup bank falls back without a word. The path
  // is kept: the next save of the configuration would otherwise erase the
  // user's choice, say of a bank on a drive that is not plugged in today.
  LoadFactoryBank();
}

void Synth::LoadFactoryBank() {
  platform::ResourceBytes bank;
  if (platform::FindModuleResource(kFactoryBankName, kFactoryBankType, &bank)) LoadBankImage(bank.data, bank.size);
}
