// The state chunk the host keeps in its projects: a bank or a program
// behind the chunk header, and the hosts that send every chunk as a program.
#include "vst2/VstPlugin.h"

#include "vst2/ChunkHosts.h"

using namespace vst;

// Asked with no lock held, perhaps by two threads at once: both get the
// same answer.
bool VstPlugin::IsChunkHost() {
  const int known = chunkHost_.load(std::memory_order_acquire);
  if (known >= 0) return known != 0;
  char vendor[kHostStringLength] = "";
  CallHost(audioMasterGetVendorString, 0, 0, vendor);
  vendor[kHostStringLength - 1] = 0;
  const bool chunkHost = IsProgramChunkHost(vendor);
  chunkHost_.store(chunkHost ? 1 : 0, std::memory_order_release);
  return chunkHost;
}

VstIntPtr VstPlugin::GetChunk(void** data, bool bank) {
  StateBuffer& buffer = bank ? bankChunk_ : programChunk_;
  WriteChunkHeader(buffer);
  bool ok;
  if (bank) {
    instrument_->ModifyCurrentPreset(nullptr);
    ok = instrument_->SerializePresets(buffer);
  } else {
    ok = instrument_->SerializeCurrentState(buffer);
    buffer.AppendString(instrument_->PresetName(instrument_->CurrentPreset()));
  }
  if (!ok || buffer.Size() == 0) return 0;
  *data = buffer.Data();
  return buffer.Size();
}

// A chunk is checked whole before anything is applied: the host may hand us
// a truncated or foreign chunk, and the user's programs must survive that.
VstIntPtr VstPlugin::SetChunk(const void* data, VstIntPtr size, bool bank) {
  if (size <= 0 || size > kMaxChunkSize) return 0;
  const int length = static_cast<int>(size);
  StateBuffer& buffer = bank ? bankChunk_ : programChunk_;
  buffer.Clear();
  buffer.AppendBytes(data, length);
  if (buffer.Size() != length) return 0;

  int start = 0;
  std::uint32_t version = ReadChunkHeader(buffer, start);
  if (start < 0) return 0;
  const bool readAsBank = bank && version >= kChunkVersion;

  if (readAsBank) {
    if (instrument_->MeasurePresets(buffer, start) < 0) return 0;
    instrument_->UnserializePresets(buffer, start);
    instrument_->RefreshParameterControls();
    return 1;
  }

  // The program form: a state, then optionally the slot's name.
  int end = instrument_->MeasureState(buffer, start);
  bool nameFollows = end >= 0 && end < length;
  if (nameFollows) {
    char ignored[1];
    end = buffer.ReadString(end, ignored, 0);
    if (end > length) end = -1;  // the name's length runs past the data
  }
  bool programWellFormed = end >= 0;

  if (IsChunkHost() && end != length) {
    // Hosts that send every chunk as a program chunk send banks that way too.
    StateBuffer& bankBuffer = bankChunk_;
    if (&bankBuffer != &buffer) {
      bankBuffer.Clear();
      bankBuffer.AppendBytes(data, length);
    }
    int bankStart = 0;
    std::uint32_t bankVersion = ReadChunkHeader(bankBuffer, bankStart);
    if (bankStart < 0) return 0;
    if (bankVersion >= kChunkVersion) {
      if (instrument_->MeasurePresets(bankBuffer, bankStart) < 0) return 0;
      instrument_->UnserializePresets(bankBuffer, bankStart);
    } else if (!programWellFormed) {
      return 0;
    } else {
      // Not a bank either: the well-formed program (with trailing bytes) stands.
      ApplyProgramChunk(buffer, start, length);
    }
    instrument_->RefreshParameterControls();
    return 1;
  }

  if (!programWellFormed) return 0;
  ApplyProgramChunk(buffer, start, length);
  instrument_->RefreshParameterControls();
  return 1;
}

void VstPlugin::ApplyProgramChunk(const StateBuffer& buffer, int start, int length) {
  int position = instrument_->UnserializeState(buffer, start);
  if (position >= 0 && position < length) {
    char name[kPresetNameLength] = "";
    buffer.ReadString(position, name, sizeof name);
    instrument_->ModifyCurrentPreset(name);
  } else {
    instrument_->ModifyCurrentPreset(nullptr);
  }
}
