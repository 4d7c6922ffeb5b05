// Program (fxp) and bank (fxb) files: one writer and one reader per form.
// Writers build the whole file image; readers check an image completely
// before they change anything, so a damaged file never leaves a half-loaded
// program or bank behind. Each takes the plug-in mutex for its whole work.
#pragma once

#include <cstddef>
#include <string>

class EffectBase;

namespace programfiles {

// No valid program or bank comes near this; bigger files are not read.
constexpr std::size_t kMaximumFileBytes = 16u << 20;

// The current program as an "FPCh" file: 60-byte header, then the chunk.
std::string WriteProgramFile(EffectBase& plugin);
// Reads "FPCh" and "FxCk" programs into the current slot. False, with
// nothing changed, for a foreign, truncated or malformed file.
bool ReadProgramFile(EffectBase& plugin, const std::string& file);

// All slots as an "FBCh" file: 160-byte header, then the bank chunk.
std::string WriteBankFile(EffectBase& plugin);
// Reads "FBCh" and "FxBk" banks. False, with nothing changed, for a
// foreign, truncated or malformed file.
bool ReadBankFile(EffectBase& plugin, const std::string& file);

// A bank image held in memory (the factory bank): the chunk at offset 160,
// whatever the header says. False, with nothing changed, when it is damaged.
bool ReadBankImage(EffectBase& plugin, const void* data, std::size_t size);

}  // namespace programfiles
