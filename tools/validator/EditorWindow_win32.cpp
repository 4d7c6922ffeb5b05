// Win32 top-level windows of a class registered for the purpose.
#include <windows.h>

#include "EditorWindow.h"

namespace validator {

namespace {

const wchar_t kWindowClass[] = L"KestrionValidateWindow";

class Win32Windows : public EditorWindowSystem {
 public:
  void* NewWindow(int width, int height) override {
    return CreateWindowExW(0, kWindowClass, L"kestrion-validate", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                           CW_USEDEFAULT, width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }

  void Pump() override {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  void RemoveWindow(void* window) override { ::DestroyWindow(static_cast<HWND>(window)); }
};

}  // namespace

std::unique_ptr<EditorWindowSystem> OpenEditorWindowSystem(std::string&) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassW(&windowClass);  // fails harmlessly when already registered
  return std::make_unique<Win32Windows>();
}

}  // namespace validator
