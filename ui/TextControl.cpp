#include "ui/TextControl.h"

#include "ui/Editor.h"

TextControl::TextControl(EditorDelegate* delegate, const Rect& area, const TextStyle& style, const char* text)
    : Control(delegate, area), text_(text ? text : "") {
  SetTextStyle(style);
}

bool TextControl::Render(Editor& graphics) {
  if (text_.empty()) return true;
  return graphics.DrawText(Style(), text_.c_str(), Area());
}

void TextControl::ShowText(const char* text) {
  const char* shown = text ? text : "";
  if (text_ == shown) return;
  MarkChanged(false);
  text_ = shown;
}
