// Hosts that send and ask for every chunk in the program form, banks
// included: the bank form must be recognised inside a program chunk.
#pragma once

// Hosts answer their vendor string into a buffer of this size.
constexpr int kHostStringLength = 256;

// Whether the vendor string (compared whole, any letter case) marks such a host.
bool IsProgramChunkHost(const char* vendorString);
