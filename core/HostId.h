// Which host application the plug-in runs in, from its product and vendor
// strings, and what the plug-in does differently for some of them.
#pragma once

constexpr int kHostUnknown = 0;
constexpr int kHostNotAsked = -1;

// Hosts answer their product and vendor strings into a buffer of this size.
constexpr int kHostStringLength = 256;

// The host number of a product string (any letter case); 0 when none matches.
int LookUpHostNumber(const char* productString);

// Turns the decimal version a host reports (major*10000 + minor*100 + rev)
// into the 0xMMMMmmrr word form.
unsigned HostVersionWord(long long decimalVersion);

// Hosts that are offered stereo only: their channels beyond the first pair
// are restricted when the host is identified.
bool IsStereoOnlyHost(int hostNumber);

// Hosts whose vendor string (compared whole, any letter case) marks them as
// sending and asking for every chunk in the program form, banks included.
bool IsProgramChunkHost(const char* vendorString);
