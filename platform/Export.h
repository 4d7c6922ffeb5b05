// How a symbol is made visible to the host that loads the plug-in.
#pragma once

#if defined(_WIN32)
#define KESTRION_EXPORT extern "C" __declspec(dllexport)
#else
#define KESTRION_EXPORT extern "C" __attribute__((visibility("default")))
#endif
