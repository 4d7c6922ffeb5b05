#include "ui/TextFieldView.h"

#include <algorithm>

#include "graphics/RasterBlit.h"
#include "ui/PanelTypes.h"

namespace {

constexpr int kPadding = 2;

int WidthOf(graphics::RasterCachedFont& font, const std::string& text, int count) {
  if (count <= 0) return 0;
  graphics::Rect box{0, 0, 0, 0};
  font.DrawText(nullptr, text.data(), count, &box, graphics::kTextMeasureOnly | graphics::kTextSingleLine);
  return box.Width();
}

// Left edge of the first character: aligned while the text fits, otherwise
// scrolled just far enough to show the caret.
int TextLeft(graphics::RasterCachedFont& font, const TextEntryModel& model, const graphics::Rect& area,
             const TextFieldLook& look) {
  const std::string& text = model.Text();
  const int inner = area.Width() - 2 * kPadding;
  const int width = WidthOf(font, text, static_cast<int>(text.size()));
  if (width <= inner) {
    if (look.alignment == kAlignCentre) return area.left + kPadding + (inner - width) / 2;
    if (look.alignment == kAlignRight) return area.left + kPadding + inner - width;
    return area.left + kPadding;
  }
  const int caretX = WidthOf(font, text, model.Caret());
  return area.left + kPadding - std::max(0, caretX - inner + 1);
}

}  // namespace

void DrawTextField(graphics::RasterBitmap& bitmap, graphics::RasterCachedFont& font, const TextEntryModel& model,
                   const graphics::Rect& area, const TextFieldLook& look, bool showCaret) {
  using graphics::PaintRect;
  PaintRect(&bitmap, area.left, area.top, area.Width(), area.Height(), look.background, 1.0f, graphics::kBlitCopy);
  graphics::Rect inside = area;
  if (look.frame) {
    PaintRect(&bitmap, area.left, area.top, area.Width(), 1, look.frame, 1.0f, graphics::kBlitCopy);
    PaintRect(&bitmap, area.left, area.bottom - 1, area.Width(), 1, look.frame, 1.0f, graphics::kBlitCopy);
    PaintRect(&bitmap, area.left, area.top, 1, area.Height(), look.frame, 1.0f, graphics::kBlitCopy);
    PaintRect(&bitmap, area.right - 1, area.top, 1, area.Height(), look.frame, 1.0f, graphics::kBlitCopy);
    inside = {area.left + 1, area.top + 1, area.right - 1, area.bottom - 1};
  }

  const std::string& text = model.Text();
  const int left = TextLeft(font, model, area, look);
  const int top = area.top + (area.Height() - font.LineHeight()) / 2;
  const int start = model.SelectionStart(), end = model.SelectionEnd();
  const int startX = left + WidthOf(font, text, start), endX = left + WidthOf(font, text, end);

  font.SetClipArea(&inside);
  font.SetBackgroundMode(graphics::RasterCachedFont::kTransparent);
  const std::uint32_t previous = font.SetTextColour(look.text);
  font.DrawTextAt(&bitmap, left, top, text.data(), start);
  font.DrawTextAt(&bitmap, endX, top, text.data() + end, static_cast<int>(text.size()) - end);
  if (end > start) {
    const int from = std::max(startX, inside.left), to = std::min(endX, inside.right);
    if (to > from)
      PaintRect(&bitmap, from, top, to - from, font.LineHeight(), look.selection, 1.0f, graphics::kBlitCopy);
    font.SetTextColour(look.selectedText);
    font.DrawTextAt(&bitmap, startX, top, text.data() + start, end - start);
  }
  font.SetTextColour(previous);
  font.SetClipArea(nullptr);

  if (showCaret) {
    const int caretX = model.Caret() == start ? startX : endX;
    if (caretX >= inside.left && caretX < inside.right)
      PaintRect(&bitmap, caretX, top, 1, font.LineHeight(), look.text, 1.0f, graphics::kBlitCopy);
  }
}

int TextFieldPositionAt(graphics::RasterCachedFont& font, const TextEntryModel& model, const graphics::Rect& area,
                        const TextFieldLook& look, int x) {
  const std::string& text = model.Text();
  const int left = TextLeft(font, model, area, look);
  const int count = static_cast<int>(text.size());
  int previousX = left;
  for (int position = 1; position <= count; ++position) {
    const int nextX = left + WidthOf(font, text, position);
    if (x < (previousX + nextX) / 2) return position - 1;
    previousX = nextX;
  }
  return count;
}
