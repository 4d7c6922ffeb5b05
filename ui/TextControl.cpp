#include "ui/TextControl.h"

#include "ui/Graphics.h"

ITextControl::ITextControl(EditorDelegate* delegate, const IPanelRect& area, const ITextStyle& style, const char* text)
    : IControl(delegate, area), text_(text ? text : "") {
  SetTextStyle(style);
}

bool ITextControl::Render(IGraphics& graphics) {
  if (text_.empty()) return true;
  return graphics.DrawText(TextStyle(), text_.c_str(), Area());
}

void ITextControl::ShowText(const char* text) {
  const char* shown = text ? text : "";
  if (text_ == shown) return;
  MarkChanged(false);
  text_ = shown;
}
