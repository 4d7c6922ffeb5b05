#include "instrument/ProgramFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "plugin/EffectBase.h"
#include "plugin/StateBuffer.h"

namespace programfiles {

namespace {

// Four-character codes, first character in the most significant byte.
constexpr std::uint32_t kChunkMagic = 0x43636E4B;         // "CcnK"
constexpr std::uint32_t kProgramChunkMagic = 0x46504368;  // "FPCh"
constexpr std::uint32_t kProgramListMagic = 0x4678436B;   // "FxCk"
constexpr std::uint32_t kBankChunkMagic = 0x46424368;     // "FBCh"
constexpr std::uint32_t kBankListMagic = 0x4678426B;      // "FxBk"

constexpr std::uint32_t kProgramFormatVersion = 1;
constexpr std::uint32_t kBankFormatVersion = 2;

// Header fields, as offsets from the start of the file.
constexpr std::size_t kByteSizeOffset = 4;
constexpr std::size_t kFxMagicOffset = 8;
constexpr std::size_t kFormatVersionOffset = 12;
constexpr std::size_t kFxIdOffset = 16;
constexpr std::size_t kFxVersionOffset = 20;
constexpr std::size_t kCountOffset = 24;  // numParams (program) or numPrograms (bank)
constexpr std::size_t kProgramNameOffset = 28;
constexpr std::size_t kProgramNameBytes = 28;
constexpr std::size_t kProgramHeaderBytes = 56;  // up to the values or the chunk size
constexpr std::size_t kProgramChunkOffset = 60;
constexpr std::size_t kCurrentProgramOffset = 28;
constexpr std::size_t kBankReservedBytes = 124;
constexpr std::size_t kBankEntriesOffset = 156;
constexpr std::size_t kBankChunkOffset = 160;

void PutBigEndian32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

// A field that lies beyond the end of the file reads as 0.
std::uint32_t ReadBigEndian32(const std::uint8_t* bytes, std::size_t size, std::size_t offset) {
  if (offset > size || size - offset < 4) return 0;
  return std::uint32_t(bytes[offset]) << 24 | std::uint32_t(bytes[offset + 1]) << 16 |
         std::uint32_t(bytes[offset + 2]) << 8 | bytes[offset + 3];
}

float ReadBigEndianFloat(const std::uint8_t* bytes, std::size_t size, std::size_t offset) {
  const std::uint32_t raw = ReadBigEndian32(bytes, size, offset);
  float value;
  std::memcpy(&value, &raw, sizeof value);
  return value;
}

// The name field: up to its first zero byte, at most the field's width.
std::string ReadProgramName(const std::uint8_t* bytes, std::size_t size, std::size_t offset) {
  std::string name;
  for (std::size_t i = 0; i < kProgramNameBytes && offset + i < size && bytes[offset + i]; ++i)
    name += static_cast<char>(bytes[offset + i]);
  return name;
}

void PutProgramName(std::string& out, const char* name) {
  char field[kProgramNameBytes] = {};
  std::strncpy(field, name, kProgramNameBytes - 1);  // the last byte always stays 0
  out.append(field, kProgramNameBytes);
}

// The bytes from `offset` on as a state buffer, positioned after the chunk
// header when one is there.
bool LoadChunk(const std::uint8_t* bytes, std::size_t size, std::size_t offset, StateBuffer& chunk, int& position) {
  if (offset > size || size - offset > static_cast<std::size_t>(INT32_MAX)) return false;
  const int length = static_cast<int>(size - offset);
  if (chunk.Resize(length) < 0 || (length > 0 && !chunk.Data())) return false;
  if (length > 0) std::memcpy(chunk.Data(), bytes + offset, static_cast<std::size_t>(length));
  position = 0;
  ReadChunkHeader(chunk, position);
  return true;
}

// One parameter-list program ("FxCk"): the values at `offset`, `count` of them.
struct ParameterList {
  std::size_t offset = 0;
  int count = 0;  // values to apply
  std::string name;
};

bool ValuesAreComplete(const std::uint8_t* bytes, std::size_t size, const ParameterList& list) {
  if (list.offset > size || (size - list.offset) / 4 < static_cast<std::size_t>(list.count)) return false;
  for (int i = 0; i < list.count; ++i)
    if (!std::isfinite(ReadBigEndianFloat(bytes, size, list.offset + 4 * std::size_t(i)))) return false;
  return true;
}

void ApplyValues(EffectBase& plugin, const std::uint8_t* bytes, std::size_t size, const ParameterList& list) {
  for (int i = 0; i < list.count; ++i) {
    plugin.Parameter(i)->SetFromNormalized(ReadBigEndianFloat(bytes, size, list.offset + 4 * std::size_t(i)));
    plugin.ParameterChanged(i);
  }
}

void RenameCurrent(EffectBase& plugin, const std::string& name) {
  plugin.ModifyCurrentPreset(name.empty() ? nullptr : name.c_str());
}

const std::uint8_t* Bytes(const std::string& file) { return reinterpret_cast<const std::uint8_t*>(file.data()); }

bool IsOurs(const std::uint8_t* bytes, std::size_t size, const EffectBase& plugin) {
  return ReadBigEndian32(bytes, size, 0) == kChunkMagic &&
         ReadBigEndian32(bytes, size, kFxIdOffset) == plugin.UniqueId();
}

bool ReadBankChunk(EffectBase& plugin, const std::uint8_t* bytes, std::size_t size) {
  if (size < kBankChunkOffset) return false;
  StateBuffer chunk;
  int position = 0;
  if (!LoadChunk(bytes, size, kBankChunkOffset, chunk, position)) return false;
  if (plugin.MeasurePresets(chunk, position) < 0) return false;
  return plugin.UnserializePresets(chunk, position) >= 0;
}

// The program ("FPCh") or bank ("FBCh") file in its chunk form: the header
// both share, the fields of its kind, then the chunk with its size.
std::string WriteChunkFile(EffectBase& plugin, bool bank) {
  EffectBase::Lock lock(plugin);
  StateBuffer chunk;
  WriteChunkHeader(chunk);
  const bool written = bank ? plugin.SerializePresets(chunk) : plugin.SerializeCurrentState(chunk);
  if (!written || chunk.Size() <= 0) return "";
  const std::size_t chunkOffset = bank ? kBankChunkOffset : kProgramChunkOffset;
  std::string file;
  PutBigEndian32(file, kChunkMagic);
  PutBigEndian32(file, static_cast<std::uint32_t>(chunkOffset + chunk.Size()));
  PutBigEndian32(file, bank ? kBankChunkMagic : kProgramChunkMagic);
  PutBigEndian32(file, bank ? kBankFormatVersion : kProgramFormatVersion);
  PutBigEndian32(file, plugin.UniqueId());
  PutBigEndian32(file, static_cast<std::uint32_t>(plugin.VersionDecimal()));
  if (bank) {
    PutBigEndian32(file, static_cast<std::uint32_t>(plugin.PresetCount()));
    PutBigEndian32(file, static_cast<std::uint32_t>(plugin.CurrentPreset()));
    file.append(kBankReservedBytes, '\0');
  } else {
    PutBigEndian32(file, static_cast<std::uint32_t>(plugin.ParameterCount()));
    PutProgramName(file, plugin.PresetName(plugin.CurrentPreset()));
  }
  PutBigEndian32(file, static_cast<std::uint32_t>(chunk.Size()));
  file.append(reinterpret_cast<const char*>(chunk.Data()), static_cast<std::size_t>(chunk.Size()));
  return file;
}

}  // namespace

std::string WriteProgramFile(EffectBase& plugin) { return WriteChunkFile(plugin, false); }

bool ReadProgramFile(EffectBase& plugin, const std::string& file) {
  const std::uint8_t* bytes = Bytes(file);
  const std::size_t size = file.size();
  if (size > kMaximumFileBytes || !IsOurs(bytes, size, plugin) ||
      ReadBigEndian32(bytes, size, kFormatVersionOffset) != kProgramFormatVersion)
    return false;
  const std::string name = ReadProgramName(bytes, size, kProgramNameOffset);
  const std::uint32_t magic = ReadBigEndian32(bytes, size, kFxMagicOffset);

  EffectBase::Lock lock(plugin);
  if (magic == kProgramChunkMagic) {
    StateBuffer chunk;
    int position = 0;
    if (!LoadChunk(bytes, size, kProgramChunkOffset, chunk, position)) return false;
    if (plugin.MeasureState(chunk, position) < 0) return false;
    plugin.UnserializeState(chunk, position);
  } else if (magic == kProgramListMagic) {
    const std::int32_t declared = static_cast<std::int32_t>(ReadBigEndian32(bytes, size, kCountOffset));
    ParameterList list;
    list.offset = kProgramHeaderBytes;
    list.count = declared > 0 ? std::min(declared, std::int32_t(plugin.ParameterCount())) : 0;
    if (!ValuesAreComplete(bytes, size, list)) return false;
    ApplyValues(plugin, bytes, size, list);
  } else {
    return false;
  }
  RenameCurrent(plugin, name);
  plugin.ActivatePreset(plugin.CurrentPreset());
  plugin.RequestHostDisplayUpdate();
  return true;
}

std::string WriteBankFile(EffectBase& plugin) { return WriteChunkFile(plugin, true); }

bool ReadBankFile(EffectBase& plugin, const std::string& file) {
  const std::uint8_t* bytes = Bytes(file);
  const std::size_t size = file.size();
  if (size > kMaximumFileBytes || !IsOurs(bytes, size, plugin)) return false;
  const std::uint32_t magic = ReadBigEndian32(bytes, size, kFxMagicOffset);

  EffectBase::Lock lock(plugin);
  if (magic == kBankChunkMagic) {
    if (!ReadBankChunk(plugin, bytes, size)) return false;
  } else if (magic == kBankListMagic) {
    // Every entry is checked before the first slot changes.
    const std::int32_t declared = static_cast<std::int32_t>(ReadBigEndian32(bytes, size, kCountOffset));
    const int entries = declared > 0 ? std::min(declared, std::int32_t(plugin.PresetCount())) : 0;
    std::vector<ParameterList> lists;
    std::size_t offset = kBankEntriesOffset;
    for (int i = 0; i < entries; ++i) {
      const std::int32_t count = static_cast<std::int32_t>(ReadBigEndian32(bytes, size, offset + kCountOffset));
      if (ReadBigEndian32(bytes, size, offset) != kChunkMagic ||
          ReadBigEndian32(bytes, size, offset + kFxMagicOffset) != kProgramListMagic ||
          ReadBigEndian32(bytes, size, offset + kFormatVersionOffset) != kProgramFormatVersion ||
          (count != plugin.ParameterCount() && count != plugin.ParameterCount() - 1))
        return false;
      ParameterList list;
      list.offset = offset + kProgramHeaderBytes;
      list.count = count;
      list.name = ReadProgramName(bytes, size, offset + kProgramNameOffset);
      if (!ValuesAreComplete(bytes, size, list)) return false;
      lists.push_back(list);
      offset = list.offset + 4 * std::size_t(count);
    }
    for (int i = 0; i < entries; ++i) {
      plugin.ActivatePreset(i);
      ApplyValues(plugin, bytes, size, lists[std::size_t(i)]);
      RenameCurrent(plugin, lists[std::size_t(i)].name);
    }
    plugin.ActivatePreset(static_cast<int>(ReadBigEndian32(bytes, size, kCurrentProgramOffset)));
  } else {
    return false;
  }
  plugin.RequestHostDisplayUpdate();
  return true;
}

bool ReadBankImage(EffectBase& plugin, const void* data, std::size_t size) {
  if (!data || size > kMaximumFileBytes) return false;
  EffectBase::Lock lock(plugin);
  if (!ReadBankChunk(plugin, static_cast<const std::uint8_t*>(data), size)) return false;
  plugin.RequestHostDisplayUpdate();
  return true;
}

}  // namespace programfiles
