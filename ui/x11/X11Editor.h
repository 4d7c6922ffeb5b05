// The editor's window on X11: a child of the host's window on a display
// connection of the editor's own. The plug-in starts no thread: the host's
// effEditIdle calls (HandleHostIdle) read the window's events and run the
// redraw tick, all on the thread that opened the window.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "X11Input.h"
#include "X11Modal.h"
#include "X11Present.h"
#include "ui/Editor.h"

class X11Editor : public Editor {
 public:
  X11Editor(EditorDelegate* delegate, int width, int height);
  // Host UI/dispatcher: closes the window first.
  ~X11Editor() override;

  // Host UI/dispatcher (effEditOpen/effEditClose). `parent` is the host
  // window's XID.
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  // Host UI/dispatcher (effEditIdle): pending events, then the tick when
  // its period has passed. Never blocks.
  void HandleHostIdle() override;
  // The window's own display connection.
  int EventDescriptor() const override { return display_ ? ConnectionNumber(display_) : -1; }

  // Editor thread, as in Editor.
  void ResizeWindow() override;
  bool ResizeHostWindow(int width, int height) override;
  bool HostWindowSize(int* width, int* height) const override;
  int SystemZoom() const override;
  void PresentArea(const Rect& area) override;
  void CancelTextEntry() override;
  bool IsWindowOpen() const override { return window_ != 0; }
  const char* DrawingApiName() const override { return "X11"; }
  void* GetWindowHandle() const override { return reinterpret_cast<void*>(window_); }
  int ShowMessage(const char* text, const char* caption, int type) override;
  MenuList* RunPopupMenu(MenuList* menu, const Rect& rect) override;
  void OpenTextEntry(Control* control, const TextStyle& style, const Rect& rect, const char* text,
                     const EffectParameter* parameter) override;
  void PromptForFile(char* path, int mode, char* folder, const char* extensions) override;
  bool GetClipboardText(char* out) override;
  void GetHostFolder(char* out) override;
  void GetPluginFolder(char* out) override;
  void GetDesktopFolder(char* out) override;
  void GetAppDataFolder(char* out, bool allUsers) override;

  // What reached the window, for measurements: the number of copies and
  // the last area copied.
  int PresentCount() const { return presentCount_; }
  const Rect& LastPresented() const { return lastPresented_; }
  bool PresentsThroughSharedMemory() const { return presenter_.SharesMemory(); }

 protected:
  bool LaunchUrl(const char* url) override;

 private:
  // Counts a modal loop of the window for as long as it lives.
  struct ModalScope {
    explicit ModalScope(int& depth) : depth_(depth) { ++depth_; }
    ~ModalScope() { --depth_; }
    int& depth_;
  };

  // One event of our connection, from the idle loop or from a modal loop
  // (input to the panel is ignored then).
  void HandleEvent(XEvent& event);
  void HandleButton(XButtonEvent& event);
  void HandleKey(XKeyEvent& event);
  // Redraws what was exposed since the last call (and whatever changed).
  void RedrawExposed();
  void Tick();
  // What a modal window of ours needs, for as long as it is shown.
  x11ui::ModalContext Modal();
  // Sends a key event on to the host's top-level window.
  void ForwardKey(XKeyEvent& event);
  void CloseTextEntry();

  Display* display_ = nullptr;
  Window parent_ = 0;
  Window window_ = 0;
  Window hostTopLevel_ = 0;  // the child of the root holding parent_
  Visual* visual_ = nullptr;
  Colormap colormap_ = 0;  // ours when the visual is not the screen's default
  x11::Presenter presenter_;
  x11::DoubleClickDetector doubleClick_;
  std::chrono::steady_clock::time_point lastTick_;  // when the last tick was due
  Rect exposed_;                                    // waiting for RedrawExposed
  int modalDepth_ = 0;
  int presentCount_ = 0;
  Rect lastPresented_;
  // The in-place text entry and what it edits.
  std::unique_ptr<x11ui::TextEntry> entry_;
  Control* entryControl_ = nullptr;
  const EffectParameter* entryParameter_ = nullptr;
  int entryState_ = kEntryIdle;
};
