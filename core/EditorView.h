// What the plug-in object asks of an attached editor. The editor framework
// implements it; the core never includes the editor.
#pragma once

class IEditorView {
 public:
  virtual ~IEditorView() = default;

  virtual int Width() const = 0;
  virtual int Height() const = 0;

  // Moves the controls bound to `index` to `value` (normalised 0..1 when
  // `normalised`, else in the parameter's real units).
  virtual void ShowParameterValue(int index, double value, bool normalised) = 0;
  // Called once on attachment with every parameter's normalised value, so
  // that the controls start in step with the state; then creates the
  // drawing surfaces.
  virtual void AttachToPlugin(const double* normalisedValues, int count) = 0;

  // Native window: returns the window made as a child of `parent`, or null.
  virtual void* OpenWindow(void* parent) = 0;
  virtual void CloseWindow() = 0;
};
