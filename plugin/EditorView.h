// What the plug-in asks of an open editor: its window, and the questions and
// dialogs of the commands the editor runs. The editor framework implements
// it; the plug-in never includes the editor.
#pragma once

// Controls that are bound to no parameter carry a command code below -1;
// values posted for the editor reach them too. The MIDI learn switch is one: the
// instrument turns it off that way once a binding is made.
constexpr int kLearnSwitchCommand = -81;

// Message boxes: one button set, optionally with one icon added.
enum MessageType {
  kMessageOk = 0,
  kMessageOkCancel = 1,
  kMessageYesNo = 4,
  kMessageIconError = 0x10,
  kMessageIconInformation = 0x40,
};
// The button that answered a message box.
enum MessageAnswer { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };
// File prompts.
enum FileMode { kFileOpen = 0, kFileSave = 1 };

class EditorView {
 public:
  // Host UI/dispatcher (the plug-in is closing).
  virtual ~EditorView() = default;

  // Host UI/dispatcher.
  virtual int Width() const = 0;
  virtual int Height() const = 0;

  // Host UI/dispatcher. Native window: returns the window made as a child
  // of `parent`, or null.
  virtual void* OpenWindow(void* parent) = 0;
  virtual void CloseWindow() = 0;
  // Host UI/dispatcher (the host's idle call), without the mutex, on the thread that
  // opened the window: a window with no timer of its own handles its
  // pending events and runs its tick from here.
  virtual void HandleHostIdle() {}
  // Host UI thread, while the window is open: a descriptor whose readiness
  // means events wait for HandleHostIdle, for a host whose event loop can
  // watch one; -1 when there is none.
  virtual int EventDescriptor() const { return -1; }

  // Editor thread only; each blocks until the user answers, so the caller
  // holds no lock. Returns the button pressed (MessageAnswer).
  virtual int ShowMessage(const char* text, const char* caption, int type) = 0;
  // `path` (in: suggested name, out: chosen path, "" on cancel) and
  // `folder` (start folder) hold kPathLength bytes; mode is an FileMode.
  virtual void PromptForFile(char* path, int mode, char* folder, const char* extensions) = 0;
  // Opens `url` in the system's browser, after `confirmText` (Yes/No) when
  // given; shows `failureText` when it cannot. True when it was opened.
  virtual bool OpenWebPage(const char* url, const char* caption, const char* confirmText, const char* failureText) = 0;
};
