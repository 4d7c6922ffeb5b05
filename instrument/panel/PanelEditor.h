// The instrument's editor as a format adapter opens it: an editor window
// with the panel built on it, showing the instrument through its delegate.
// Made when the host opens the editor and dropped when it closes it, so an
// instance whose editor never opens builds no control and decodes no image.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "instrument/panel/Panel.h"
#include "ui/EditorWindow.h"

class EditorDelegate;
class Editor;

namespace panel {

class PanelEditor {
 public:
  // Host UI thread: asks the host for a window of width x height pixels for
  // a new panel size. True when the window has that size now (the host made
  // it so, or the adapter did), false when the host refused.
  using HostResizeCall = std::function<bool(int width, int height)>;

  // Host UI thread: a window from `makeWindow` (the system's editor window
  // when null) with the panel built on it, at the size the user chose last,
  // else at the system's scale.
  explicit PanelEditor(EditorDelegate& instrument, EditorFactory makeWindow = nullptr);
  // Host UI thread: drops the window and its controls.
  ~PanelEditor();
  PanelEditor(const PanelEditor&) = delete;
  PanelEditor& operator=(const PanelEditor&) = delete;

  Editor& Window() const { return *window_; }
  panel::Panel& Controls() { return panel_; }

  // Host UI thread (the host's idle calls) and the editor's quiet ticks:
  // shows the lights the audio thread published while the window is open.
  void Idle();

  // -- the panel's size (host UI thread) -----------------------------------
  int Zoom() const;
  int Width() const;
  int Height() const;
  // How the adapter reaches the host when the panel wants another size;
  // without one the panel only resizes its own window.
  void SetResizeRequest(HostResizeCall request) { resizeRequest_ = std::move(request); }
  // A size the host set: the panel shows at `percent` now. A change made by
  // the user (the host's window resized by hand) is remembered as a choice.
  void ShowAtZoom(int percent, bool chosen);
  // The host's scale factor (1.0 for 100 %): the panel follows it unless the
  // user chose a size; an open window asks the host for its new size.
  void SetHostScale(double factor);
  // A new size asked for by the user or the host's scale: an open window
  // asks the host first and keeps its size when the host refuses.
  void ChangeZoom(int percent, bool chosen);

 private:
  // Whether the host's window (when it can be known) holds the panel at `percent`.
  bool HostWindowFits(int percent) const;
  void Rebuild(int percent);

  EditorDelegate& instrument_;
  std::unique_ptr<Editor> window_;
  panel::Panel panel_;
  HostResizeCall resizeRequest_;
  // The size asked of the host while it decides, and who asked for it.
  int askedZoom_ = 0;
  bool askedChosen_ = false;
  // A larger size waits until the host's window has room for it: hosts
  // grant sizes and resize later, or never (then the panel stays as it is).
  int pendingZoom_ = 0;
  std::chrono::steady_clock::time_point pendingUntil_;
};

}  // namespace panel
