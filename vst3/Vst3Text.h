// The interface's texts are UTF-16; the instrument's are UTF-8.
#pragma once

#include <string>

#include "vst3/Vst3Abi.h"

// `text` into a String128 (or any 128-unit field), cut to fit, terminated.
void CopyText(vst3::TChar* field, const char* text, int capacity = 128);
// A terminated UTF-16 text as UTF-8, reading at most `capacity` units.
std::string Utf8Of(const vst3::TChar* text, int capacity = 128);
