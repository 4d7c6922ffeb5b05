// The editor's window on X11: a child of the host's window on a display
// connection of the editor's own. The host's idle calls (HandleHostIdle)
// read the window's events and run the redraw tick. A format whose hosts
// may idle slowly or never (VST 2.4) also gives the window a thread of its
// own, the driver, that does the same whenever the host's idle calls stop
// coming at the frame rate. Whichever thread holds the drive token is the
// editor's thread for that turn; the other skips its turn, never waits.
#pragma once

#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "X11Embed.h"
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
  // its period has passed; nothing while the driver has its turn. Never
  // blocks, except in a menu or dialog the user opened.
  void HandleHostIdle() override;
  // Host UI thread, before OpenWindow.
  bool EnableOwnDriver(std::function<void()> idleWork) override;
  bool HostKeyPressed(int key) override;
  bool ParentSizeAtOpen(int* width, int* height) const override;
  // The window's own display connection.
  int EventDescriptor() const override { return display_ ? ConnectionNumber(display_) : -1; }

  // Editor thread, as in Editor.
  void ResizeWindow() override;
  // Any thread while the window is open: only the host's window changes.
  bool ResizeHostWindow(int width, int height) override;
  bool HostWindowSize(int* width, int* height) const override;
  int SystemZoom() const override;
  void PresentArea(const Rect& area) override;
  void CancelTextEntry() override;
  // Any thread.
  bool IsWindowOpen() const override { return windowOpen_.load(std::memory_order_acquire); }
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

  // What reached the window, for measurements: the number of copies (any
  // thread) and the last area copied (the editor's thread).
  int PresentCount() const { return presentCount_.load(std::memory_order_acquire); }
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

  // The drive token, held for one turn; taken only when free.
  class Turn {
   public:
    explicit Turn(std::atomic<bool>& token) : token_(token) {
      held_ = !token_.exchange(true, std::memory_order_acquire);
    }
    ~Turn() {
      if (held_) token_.store(false, std::memory_order_release);
    }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;
    explicit operator bool() const { return held_; }

   private:
    std::atomic<bool>& token_;
    bool held_ = false;
  };

  // One turn of the editor, holding the token: the pending events, the
  // exposed area, the tick when due and the idle work.
  void Drive();
  // The driver (X11Driver.cpp): started by OpenWindow, stopped and joined
  // by CloseWindow before the window and the connection go.
  void StartDriver();
  void StopDriver();
  void RunDriver();
  // On the driver's thread once it is being stopped: nothing new may wait
  // for the user.
  bool Stopping() const { return stopDriver_.load(std::memory_order_acquire); }

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
  std::atomic<int> presentCount_{0};
  Rect lastPresented_;
  std::atomic<bool> windowOpen_{false};
  int parentWidth_ = 0;  // the host's window when the panel opened in it
  int parentHeight_ = 0;
  Atom embedMessage_ = None;
  x11::EmbedState embed_;

  // The driver. Only the drive token's holder touches the editor's state.
  std::atomic<bool> driveToken_{false};
  bool ownDriver_ = false;
  std::function<void()> idleWork_;
  std::thread driver_;
  int wakeFd_ = -1;  // readable once the driver is to stop
  std::atomic<bool> stopDriver_{false};
  std::atomic<std::int64_t> lastHostIdle_{0};  // steady clock, ns; 0: none yet
  // The in-place text entry and what it edits.
  std::unique_ptr<x11ui::TextEntry> entry_;
  Control* entryControl_ = nullptr;
  const EffectParameter* entryParameter_ = nullptr;
  int entryState_ = kEntryIdle;
};
