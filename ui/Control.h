// The base of every control on the panel: where it draws and takes the
// pointer, which parameter it shows (normalised 0..1), and the flags that
// drive the redraw cycle.
#pragma once

#include <vector>

#include "ui/PanelTypes.h"

class EditorDelegate;
class Editor;

class Control {
 public:
  struct AuxBinding {
    double value;
    int parameterIndex;
  };

  // parameterIndex -1 binds nothing; numbers below -1 are command codes.
  Control(EditorDelegate* delegate, const Rect& area, int parameterIndex = -1, int blendMethod = kBlendAlpha);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // Every virtual operation below runs on the editor's thread (the
  // destructor: with the editor, on the host UI/dispatcher thread).
  virtual ~Control() = default;
  // With the right button: asks for a new value (PromptForParameter) where
  // the control allows it. Otherwise nothing.
  virtual void HandlePress(int x, int y, const PointerMods& mods);
  virtual void HandleRelease(int /*x*/, int /*y*/, const PointerMods& /*mods*/) {}
  virtual void HandleDrag(int /*x*/, int /*y*/, int /*dx*/, int /*dy*/, const PointerMods& /*mods*/) {}
  // Restores the value the host gave first, if any.
  virtual void HandleDoubleClick(int x, int y, const PointerMods& mods);
  virtual void HandleWheel(int /*x*/, int /*y*/, const PointerMods& /*mods*/, int /*notches*/) {}
  virtual bool HandleKey(int /*x*/, int /*y*/, int /*key*/) { return false; }
  virtual bool Render(Editor& graphics) = 0;
  // A value from outside the editor (recorded by another thread and applied
  // at the tick); the first one also becomes the default.
  virtual void ApplyHostValue(double value);
  // A value the user chose (menu, text entry); the plug-in is told.
  virtual void ApplyUserValue(double value);
  virtual void AcceptEnteredText(const char* /*text*/) {}
  virtual void SetHidden(bool hidden);
  virtual void SetDisabled(bool disabled);
  virtual bool ContainsPoint(int x, int y) const { return hitArea_.Contains(x, y); }
  // Clamps the value, marks the control for drawing and, when push is set,
  // hands the value to the bound parameter.
  virtual void MarkChanged(bool push);
  virtual void MarkDrawn();
  virtual bool NeedsDrawing() const { return needsDrawing_; }
  virtual void ApplyHostAuxValue(int binding, double value);

  // Accessors.
  EditorDelegate* Delegate() const { return delegate_; }
  Editor* Graphics() const { return graphics_; }
  const Rect& Area() const { return area_; }
  const Rect& HitArea() const { return hitArea_; }
  void SetHitArea(const Rect& area) { hitArea_ = area; }
  int ParameterIndex() const { return parameterIndex_; }
  double Value() const { return value_; }
  void SetValue(double value) { value_ = value; }
  double DefaultValue() const { return defaultValue_; }
  void SetClamp(double lower, double upper) {
    lowerClamp_ = lower;
    upperClamp_ = upper;
  }
  bool IsHidden() const { return hidden_; }
  bool IsDisabled() const { return disabled_; }
  bool RedrawsAgain() const { return redrawAgain_; }
  void SetRedrawAgain() { redrawAgain_ = true; }
  bool PromptDisabled() const { return promptDisabled_; }
  void SetPromptDisabled(bool disabled) { promptDisabled_ = disabled; }
  bool DoubleClickActsAsPress() const { return doubleClickActsAsPress_; }
  void SetDoubleClickActsAsPress(bool acts) { doubleClickActsAsPress_ = acts; }
  const BlendSpec& Blend() const { return blend_; }
  TextStyle& Style() { return textStyle_; }
  void SetTextStyle(const TextStyle& style) { textStyle_ = style; }
  int TextEntryLimit() const { return textEntryLimit_; }
  void SetTextEntryLimit(int limit) { textEntryLimit_ = limit; }
  std::vector<AuxBinding>& AuxBindings() { return auxBindings_; }
  const std::vector<AuxBinding>& AuxBindings() const { return auxBindings_; }

  // Set by Editor::AttachControl: the editor the control lives in.
  void SetGraphics(Editor* graphics) { graphics_ = graphics; }

 protected:
  void SetArea(const Rect& area) {
    area_ = area;
    hitArea_ = area;
  }

 private:
  int textEntryLimit_ = 7;
  TextStyle textStyle_;
  EditorDelegate* delegate_;
  Rect area_;
  Rect hitArea_;
  int parameterIndex_;
  std::vector<AuxBinding> auxBindings_;
  double value_ = 0.0;
  double defaultValue_ = -1.0;  // negative: the host never gave a value
  double lowerClamp_ = 0.0;
  double upperClamp_ = 1.0;
  bool needsDrawing_ = true;
  bool hidden_ = false;
  bool disabled_ = false;
  bool redrawAgain_ = false;
  bool promptDisabled_ = true;
  bool doubleClickActsAsPress_ = false;
  BlendSpec blend_;
  Editor* graphics_ = nullptr;
};
