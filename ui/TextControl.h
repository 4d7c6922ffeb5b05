// A line of text drawn in the control's style.
#pragma once

#include <string>

#include "ui/Control.h"

class ITextControl : public IControl {
 public:
  ITextControl(EditorDelegate* delegate, const IPanelRect& area, const ITextStyle& style, const char* text = "");
  bool Render(IGraphics& graphics) override;
  // Replaces the text, marking the control for drawing when it differs.
  void ShowText(const char* text);
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};
