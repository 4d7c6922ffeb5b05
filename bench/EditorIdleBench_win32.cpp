// What an open editor costs while nothing changes, on Windows (and under
// Wine): loads the plug-in, opens its editor in a top-level window, runs the
// window's message loop for a while and reports the process's CPU time as a
// share of one core.
//   kestrion_editor_idle_bench Kestrion.dll [seconds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/vsthost/VstHost.h"

namespace {

double CpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    ULARGE_INTEGER v;
    v.LowPart = t.dwLowDateTime;
    v.HighPart = t.dwHighDateTime;
    return static_cast<double>(v.QuadPart) * 1e-7;
  };
  return seconds(kernel) + seconds(user);
}

// Runs the message loop of this thread for `seconds`.
void PumpFor(double seconds) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kestrion_editor_idle_bench Kestrion.dll [seconds]\n");
    return 2;
  }
  const double seconds = argc > 2 ? std::atof(argv[2]) : 10.0;
  vsthost::VstHost host;
  std::string error;
  if (!host.Load(argv[1], &error)) {
    std::fprintf(stderr, "kestrion_editor_idle_bench: %s\n", error.c_str());
    return 1;
  }
  host.Open();
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "KestrionBenchHost";
  RegisterClassA(&windowClass);
  HWND frame = CreateWindowA("KestrionBenchHost", "Editor idle", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1120, 440,
                             nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!frame || !host.Dispatch(vst::effEditOpen, 0, 0, frame)) {
    std::fprintf(stderr, "kestrion_editor_idle_bench: the editor did not open\n");
    return 1;
  }
  PumpFor(1.0);  // the first paint of the whole panel is not idle work
  const double cpuBefore = CpuSeconds();
  const ULONGLONG wallBefore = GetTickCount64();
  PumpFor(seconds);
  const double cpu = CpuSeconds() - cpuBefore;
  const double wall = static_cast<double>(GetTickCount64() - wallBefore) / 1000.0;
  std::printf("open editor, nothing changing: %.3f s CPU in %.1f s = %.2f %% of one core\n", cpu, wall,
              100.0 * cpu / wall);
  host.Dispatch(vst::effEditClose);
  DestroyWindow(frame);
  return 0;
}
