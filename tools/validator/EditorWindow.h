// A top-level window of the validator's own for the editor check, from the
// window system the validator is built for (EditorWindow_<system>.cpp).
#pragma once

#include <memory>
#include <string>

namespace validator {

class EditorWindowSystem {
 public:
  virtual ~EditorWindowSystem() = default;
  // A shown window of the given size, as effEditOpen takes its parent; null
  // when none could be made.
  virtual void* NewWindow(int width, int height) = 0;
  // Handles what the window system has queued, as a host's event loop does.
  virtual void Pump() = 0;
  virtual void RemoveWindow(void* window) = 0;
};

// Null with `why` set when there is no window system to use (no display).
std::unique_ptr<EditorWindowSystem> OpenEditorWindowSystem(std::string& why);

}  // namespace validator
