#include "platform/PluginMutex.h"

#include <windows.h>

namespace platform {

namespace {

CRITICAL_SECTION& Native(unsigned char* storage) { return *reinterpret_cast<CRITICAL_SECTION*>(storage); }

}  // namespace

static_assert(sizeof(CRITICAL_SECTION) <= 64, "PluginMutex storage too small");

// Critical sections are re-entrant; Windows has no priority inheritance for
// them, so there every hold has to be short.
PluginMutex::PluginMutex() { InitializeCriticalSection(&Native(storage_)); }

PluginMutex::~PluginMutex() { DeleteCriticalSection(&Native(storage_)); }

void PluginMutex::lock() { EnterCriticalSection(&Native(storage_)); }

void PluginMutex::unlock() { LeaveCriticalSection(&Native(storage_)); }

bool PluginMutex::try_lock() { return TryEnterCriticalSection(&Native(storage_)) != 0; }

}  // namespace platform
