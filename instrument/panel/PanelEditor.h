// The instrument's editor as a format adapter opens it: an editor window
// with the panel built on it, attached to the instrument while it lives.
#pragma once

#include <memory>

#include "instrument/panel/Panel.h"
#include "ui/EditorWindow.h"

class IGraphics;
class Kestrion;

namespace panel {

class PanelEditor {
 public:
  // Host UI/dispatcher: a window from `makeWindow` (the system's editor
  // window when null), the panel built on it, attached to `instrument`.
  PanelEditor(Kestrion& instrument, EditorFactory makeWindow = nullptr);
  // Host UI/dispatcher: detaches from the instrument, then drops the window
  // and its controls.
  ~PanelEditor();
  PanelEditor(const PanelEditor&) = delete;
  PanelEditor& operator=(const PanelEditor&) = delete;

  IGraphics& Window() const { return *window_; }
  panel::Panel& Controls() { return panel_; }

  // Host UI/dispatcher (the host's idle calls) and the editor's quiet ticks:
  // shows the lights the audio thread published while the window is open.
  void Idle();

 private:
  Kestrion& instrument_;
  std::unique_ptr<IGraphics> window_;
  panel::Panel panel_;
};

}  // namespace panel
