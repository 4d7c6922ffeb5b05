// The editor's window on Windows: a child of the host's window that runs
// the redraw cycle from a window timer, turns mouse and key messages into
// the editor's pointer dispatch, and supplies native menus, the in-place
// text entry and the system's dialogs. Everything here runs on the thread
// that opened the window (the host's user-interface thread).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "Win32Dpi.h"
#include "ui/Editor.h"

class Win32Editor : public Editor {
 public:
  static constexpr const char* kWindowClassName = "IEditorWndClass";
  static constexpr UINT_PTR kTimerId = 2;
  static constexpr int kTextEntryId = 99;
  // In the entry's user data: marks the edit control as the editor's own.
  static constexpr LONG_PTR kTextEntryMarker = static_cast<LONG_PTR>(0xDEADF00B);

  Win32Editor(EditorDelegate* delegate, int width, int height, int frameRate = 25);
  // Host UI/dispatcher: closes the window first.
  ~Win32Editor() override;

  // Editor.
  void PresentArea(const Rect& area) override;
  void CancelTextEntry() override { entryState_ = kEntryCancel; }
  bool IsWindowOpen() const override { return window_ != nullptr; }
  const char* DrawingApiName() const override { return "Windows GDI"; }
  int ShowMessage(const char* text, const char* caption, int type) override;
  MenuList* RunPopupMenu(MenuList* menu, const Rect& rect) override;
  void OpenTextEntry(Control* control, const TextStyle& style, const Rect& rect, const char* text,
                     const EffectParameter* parameter) override;
  void GetHostFolder(char* out) override;
  void GetPluginFolder(char* out) override;
  void GetDesktopFolder(char* out) override;
  void GetAppDataFolder(char* out, bool allUsers) override;
  void PromptForFile(char* path, int mode, char* folder, const char* extensions) override;
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void* GetWindowHandle() const override { return window_; }
  bool GetClipboardText(char* out) override;
  void ResizeWindow() override;
  bool ResizeHostWindow(int width, int height) override;
  bool HostWindowSize(int* width, int* height) const override;
  bool ParentSizeAtOpen(int* width, int* height) const override;
  int SystemZoom() const override;

  // Editor thread. The system colour dialog, started from `colour`; true
  // (and `colour` replaced) on OK. No control of this panel asks for one.
  bool PromptForColour(ArgbColour* colour, const char* caption);

 protected:
  bool LaunchUrl(const char* url) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK TextEntryProc(HWND entry, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleEntryMessage(HWND entry, UINT message, WPARAM wParam, LPARAM lParam);
  // The timer's step: a pending text entry first, otherwise the redraw.
  void Tick();
  // Restores the entry's procedure, destroys it and forgets the edit.
  void CloseTextEntry();
  // The window was destroyed (by CloseWindow or with the host's window).
  void ForgetWindow();
  // The host's top-level window, found once and cached.
  HWND HostMainWindow();
  // The window moved to a display of another scale: the panel follows it
  // there unless the user chose its size.
  void FollowDisplayScale(UINT dpi);

  // Menus and dialogs run a message loop of their own; the panel's ticks
  // wait until they are closed. They are as DPI aware as the panel.
  struct ModalScope {
    explicit ModalScope(Win32Editor* editor) : editor_(editor), dpi_(editor->window_) { ++editor_->modalDepth_; }
    ~ModalScope() { --editor_->modalDepth_; }
    Win32Editor* editor_;
    win32::DpiAwarenessScope dpi_;
  };

  HWND window_ = nullptr;
  HWND textEntry_ = nullptr;
  HFONT textEntryFont_ = nullptr;
  Control* editedControl_ = nullptr;
  const EffectParameter* editedParameter_ = nullptr;
  WNDPROC previousEntryProc_ = nullptr;
  int parentWidth_ = -1;  // the host window's client area when the panel opened
  int parentHeight_ = -1;
  HWND focusBeforeEntry_ = nullptr;  // where the keyboard returns when the entry closes
  int entryState_ = kEntryIdle;
  int modalDepth_ = 0;
  std::unique_ptr<COLORREF[]> customColours_;
  HWND parent_ = nullptr;
  HWND hostMainWindow_ = nullptr;
  std::string hostMainWindowClass_;
};
