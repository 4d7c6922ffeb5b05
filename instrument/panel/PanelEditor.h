// The instrument's editor as a format adapter opens it: an editor window
// with the panel built on it, showing the instrument through its delegate.
// Made when the host opens the editor and dropped when it closes it, so an
// instance whose editor never opens builds no control and decodes no image.
#pragma once

#include <memory>

#include "instrument/panel/Panel.h"
#include "ui/EditorWindow.h"

class EditorDelegate;
class Editor;

namespace panel {

class PanelEditor {
 public:
  // Host UI thread: a window from `makeWindow` (the system's editor window
  // when null) with the panel built on it.
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

 private:
  EditorDelegate& instrument_;
  std::unique_ptr<Editor> window_;
  panel::Panel panel_;
};

}  // namespace panel
