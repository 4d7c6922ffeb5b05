// A line of text drawn in the control's style.
#pragma once

#include <string>

#include "ui/Control.h"

class TextControl : public Control {
 public:
  TextControl(EditorDelegate* delegate, const Rect& area, const TextStyle& style, const char* text = "");
  bool Render(Editor& graphics) override;
  // Replaces the text, marking the control for drawing when it differs.
  void ShowText(const char* text);
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};
