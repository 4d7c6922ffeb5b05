#include "platform/Module.h"

#include <windows.h>

namespace {
HMODULE moduleHandle = nullptr;
}

// The loader tells the DLL its own handle; resources are found through it,
// not through the host executable's.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) moduleHandle = instance;
  return TRUE;
}

namespace platform {

void* ThisModule() {
  if (!moduleHandle) {
    // Linked into an executable (the tests): find the module by address.
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &moduleHandle);
  }
  return moduleHandle;
}

}  // namespace platform
