// UTF-8 as the text drawing reads it: a byte that starts no valid sequence
// stands for itself, so single-byte texts still draw.
#pragma once

#include <cstdint>

namespace graphics {

// Decodes the character at text[*position] and moves *position past it.
std::uint32_t NextCharacter(const char* text, int length, int* position);

// True when text holds at least one valid multi-byte sequence.
bool HasMultiByteCharacter(const char* text, int length);

}  // namespace graphics
