#include "ui/Control.h"

#include <cmath>

#include "plugin/EditorDelegate.h"
#include "ui/Editor.h"

Control::Control(EditorDelegate* delegate, const Rect& area, int parameterIndex, int blendMethod)
    : delegate_(delegate), area_(area), hitArea_(area), parameterIndex_(parameterIndex) {
  blend_.method = blendMethod;
}

void Control::HandlePress(int /*x*/, int /*y*/, const PointerMods& mods) {
  if (mods.right && !promptDisabled_ && parameterIndex_ >= 0 && graphics_) graphics_->PromptForParameter(this);
}

void Control::HandleDoubleClick(int /*x*/, int /*y*/, const PointerMods& /*mods*/) {
  if (defaultValue_ < 0) return;
  value_ = defaultValue_;
  MarkChanged(true);
}

void Control::ApplyHostValue(double value) {
  // Not a number: nothing sensible to show, so the control keeps its value.
  if (!std::isfinite(value)) return;
  if (defaultValue_ < 0) defaultValue_ = value_ = value;
  if (value != value_) {
    value_ = value;
    MarkChanged(false);
    redrawAgain_ = true;
  }
}

void Control::ApplyUserValue(double value) {
  if (!std::isfinite(value)) return;
  if (value != value_) {
    value_ = value;
    MarkChanged(true);
    redrawAgain_ = true;
  }
}

void Control::SetHidden(bool hidden) {
  hidden_ = hidden;
  redrawAgain_ = true;
  MarkChanged(false);
}

void Control::SetDisabled(bool disabled) {
  disabled_ = disabled;
  blend_.weight = disabled ? 0.25f : 1.0f;
  MarkChanged(false);
}

void Control::MarkChanged(bool push) {
  // A value that is not a number (a host sending garbage) counts as the
  // lowest, so that no frame computation ever sees it.
  if (!(value_ >= lowerClamp_))
    value_ = lowerClamp_;
  else if (value_ > upperClamp_)
    value_ = upperClamp_;
  needsDrawing_ = true;
  if (push && delegate_ && parameterIndex_ >= 0) delegate_->SetFromEditor(parameterIndex_, value_);
}

void Control::MarkDrawn() {
  needsDrawing_ = redrawAgain_;
  redrawAgain_ = false;
}

void Control::ApplyHostAuxValue(int binding, double value) {
  if (binding < 0 || binding >= static_cast<int>(auxBindings_.size())) return;
  AuxBinding& aux = auxBindings_[static_cast<std::size_t>(binding)];
  if (aux.value != value) {
    aux.value = value;
    MarkChanged(false);
    redrawAgain_ = true;
  }
}
