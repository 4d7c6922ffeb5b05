// The validator started again per group, with --group and --progress added
// to its command line: the progress record is an inherited file mapping, and
// the parent waits on the process handle with the time limit.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "GroupProcess.h"

namespace validator {

namespace {

// A crash ends the group's process with the exception's code, at once: no
// error dialog waits for a click that never comes.
LONG WINAPI EndWithExceptionCode(EXCEPTION_POINTERS* exception) {
  TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

std::wstring Wide(const char* text) {
  std::wstring wide;
  for (; *text; ++text) wide += static_cast<wchar_t>(static_cast<unsigned char>(*text));
  return wide;
}

}  // namespace

GroupOutcome RunInOwnProcess(const Options&, const char* name, GroupFunction, double seconds) {
  GroupOutcome outcome;
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, &inherited, PAGE_READWRITE, 0, sizeof(Progress), nullptr);
  void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Progress)) : nullptr;
  if (!view) {
    outcome.end = GroupOutcome::kCrashed;
    outcome.how = "no shared memory for its process";
    if (mapping) CloseHandle(mapping);
    return outcome;
  }
  auto* progress = new (view) Progress;
  std::snprintf(progress->check, sizeof progress->check, "%s", name);

  std::wstring command = GetCommandLineW();
  command +=
      L" --group " + Wide(name) + L" --progress " + std::to_wstring(reinterpret_cast<unsigned long long>(mapping));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  for (HANDLE standard : {startup.hStdOutput, startup.hStdError})
    SetHandleInformation(standard, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  PROCESS_INFORMATION child = {};
  std::fflush(nullptr);
  // Starting a process can fail for a moment while the last one is still
  // being torn down (Wine answers ERROR_INTERNAL_ERROR then): a group that
  // never started has tested nothing, so it is tried again before it fails.
  bool started = false;
  DWORD error = 0;
  for (int attempt = 0; attempt < 3 && !started; ++attempt) {
    if (attempt > 0) Sleep(250);
    started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child);
    if (!started) error = GetLastError();
  }
  if (!started) {
    outcome.end = GroupOutcome::kCrashed;
    outcome.how = "its process could not be started (error " + std::to_string(error) + ")";
  } else if (WaitForSingleObject(child.hProcess, static_cast<DWORD>(seconds * 1000)) == WAIT_TIMEOUT) {
    TerminateProcess(child.hProcess, 1);
    WaitForSingleObject(child.hProcess, INFINITE);
    outcome.end = GroupOutcome::kTimedOut;
  } else {
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    if (code != 0) {
      char text[64];
      std::snprintf(text, sizeof text, code >= 0xC0000000u ? "exception 0x%08lX" : "exit status %lu",
                    static_cast<unsigned long>(code));
      outcome.end = GroupOutcome::kCrashed;
      outcome.how = text;
    }
  }
  if (child.hProcess) {
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
  }
  outcome.progress = *progress;
  UnmapViewOfFile(view);
  CloseHandle(mapping);
  return outcome;
}

Progress* ParentsProgress(const std::string& value) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(EndWithExceptionCode);
  auto mapping = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::strtoull(value.c_str(), nullptr, 10)));
  return static_cast<Progress*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Progress)));
}

}  // namespace validator
