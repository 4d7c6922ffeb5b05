// The system's dialogs and services the editor's commands use: message
// boxes, the file and colour dialogs, folder paths, clipboard text and the
// browser. Each blocks on the editor's thread until the user answers.
#include "Win32Editor.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/Module.h"

namespace {

// A module's or the host's folder: the path cut after its last backslash;
// "" when there is no backslash or nothing after it.
void FolderOfModule(HMODULE module, char* out) {
  out[0] = 0;
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  char* last = std::strrchr(path, '\\');
  if (!last || last[1] == 0) return;
  last[1] = 0;
  CopyText(out, path, kPathLength);
}

void ShellFolder(int folder, char* out) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path))) path[0] = 0;
  CopyText(out, path, kPathLength);
}

struct ClassSearch {
  const char* className;
  HWND found;
};

BOOL CALLBACK FindWindowOfClass(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<ClassSearch*>(lParam);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[256] = {};
  if (process == GetCurrentProcessId() && GetClassNameA(window, name, sizeof name) &&
      std::strcmp(name, search->className) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// The colour dialog's title is set once it exists.
UINT_PTR CALLBACK ColourDialogHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* choice = reinterpret_cast<const CHOOSECOLORA*>(lParam);
    const char* caption = reinterpret_cast<const char*>(choice->lCustData);
    if (caption) SetWindowTextA(dialog, caption);
  }
  return 0;
}

}  // namespace

HWND Win32Editor::HostMainWindow() {
  if (hostMainWindow_) return hostMainWindow_;
  if (parent_) {
    HWND top = parent_;
    while (HWND up = GetParent(top)) top = up;
    char name[256] = {};
    GetClassNameA(top, name, sizeof name);
    hostMainWindow_ = top;
    hostMainWindowClass_ = name;
  } else if (!hostMainWindowClass_.empty()) {
    ClassSearch search{hostMainWindowClass_.c_str(), nullptr};
    EnumWindows(FindWindowOfClass, reinterpret_cast<LPARAM>(&search));
    hostMainWindow_ = search.found;
  }
  return hostMainWindow_;
}

int Win32Editor::ShowMessage(const char* text, const char* caption, int type) {
  // Like the file prompt: no box while the editor is closed. A box nobody
  // sees would hold up the host's thread (a plug-in scan, a restore).
  if (!window_) return Editor::ShowMessage(text, caption, type);
  ModalScope modal(this);
  return MessageBoxA(HostMainWindow(), text ? text : "", caption ? caption : "", static_cast<UINT>(type));
}

void Win32Editor::GetHostFolder(char* out) { FolderOfModule(nullptr, out); }
void Win32Editor::GetPluginFolder(char* out) { FolderOfModule(static_cast<HMODULE>(platform::ThisModule()), out); }
void Win32Editor::GetDesktopFolder(char* out) { ShellFolder(CSIDL_DESKTOPDIRECTORY, out); }
void Win32Editor::GetAppDataFolder(char* out, bool allUsers) {
  ShellFolder(allUsers ? CSIDL_COMMON_APPDATA : CSIDL_LOCAL_APPDATA, out);
}

void Win32Editor::PromptForFile(char* path, int mode, char* folder, const char* extensions) {
  if (!path || !folder) return;
  if (!window_) {
    path[0] = 0;
    return;
  }
  if (!folder[0]) GetDesktopFolder(folder);

  // "fxp fxb" shows and filters "*.fxp;*.fxb"; the first is the default.
  std::string patterns, defaultExtension;
  const std::string list = extensions ? extensions : "";
  for (std::size_t start = 0; start < list.size();) {
    const std::size_t end = std::min(list.find(' ', start), list.size());
    if (end > start) {
      const std::string extension = list.substr(start, end - start);
      if (defaultExtension.empty()) defaultExtension = extension.substr(0, 15);
      if (!patterns.empty()) patterns += ';';
      patterns += "*." + extension;
    }
    start = end + 1;
  }
  std::string filter;
  if (!patterns.empty()) filter = patterns + '\0' + patterns + '\0' + '\0';

  char file[256];
  CopyText(file, path, sizeof file);
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_;
  dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  dialog.lpstrFile = file;
  dialog.nMaxFile = sizeof file - 1;
  dialog.lpstrInitialDir = folder;
  dialog.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
  BOOL chosen;
  ModalScope modal(this);
  if (mode == kFileSave) {
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    chosen = GetSaveFileNameA(&dialog);
  } else {
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    chosen = GetOpenFileNameA(&dialog);
  }
  if (!chosen) {
    path[0] = 0;
    return;
  }
  // The file's drive and folder, backslash included.
  const std::string chosenPath = file;
  CopyText(folder, chosenPath.substr(0, dialog.nFileOffset).c_str(), kPathLength);
  CopyText(path, file, kPathLength);
}

bool Win32Editor::PromptForColour(ArgbColour* colour, const char* caption) {
  if (!window_ || !colour) return false;
  if (!customColours_) {
    customColours_ = std::make_unique<COLORREF[]>(16);
    for (int i = 0; i < 16; ++i) customColours_[i] = RGB(255, 255, 255);
  }
  CHOOSECOLORA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_;
  dialog.rgbResult = RGB(colour->red, colour->green, colour->blue);
  dialog.lpCustColors = customColours_.get();
  dialog.Flags = CC_FULLOPEN | CC_RGBINIT | CC_ENABLEHOOK;
  dialog.lCustData = reinterpret_cast<LPARAM>(caption);
  dialog.lpfnHook = ColourDialogHook;
  ModalScope modal(this);
  if (!ChooseColorA(&dialog)) return false;
  colour->red = GetRValue(dialog.rgbResult);
  colour->green = GetGValue(dialog.rgbResult);
  colour->blue = GetBValue(dialog.rgbResult);
  return true;
}

bool Win32Editor::GetClipboardText(char* out) {
  out[0] = 0;
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(window_)) return false;
  bool found = false;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
      const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
      if (bytes > 0) {
        std::string utf8(static_cast<std::size_t>(bytes), '\0');
        WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], bytes, nullptr, nullptr);
        CopyText(out, utf8.c_str(), kPathLength);
        found = true;
      }
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return found;
}

bool Win32Editor::LaunchUrl(const char* url) {
  DWORD connection = 0;
  if (!InternetGetConnectedState(&connection, 0)) return false;
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(window_, "open", url, nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}
