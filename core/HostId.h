// Which host application the plug-in runs in, from its product string.
#pragma once

constexpr int kHostUnknown = 0;
constexpr int kHostNotAsked = -1;

// The host number of a product string (any letter case); 0 when none matches.
int LookUpHostNumber(const char* productString);

// Turns the decimal version a host reports (major*10000 + minor*100 + rev)
// into the 0xMMMMmmrr word form.
unsigned HostVersionWord(long long decimalVersion);
