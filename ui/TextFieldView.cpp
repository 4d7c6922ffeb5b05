#include "ui/TextFieldView.h"

#include <algorithm>

#include "graphics/RasterBlit.h"
#include "ui/PanelTypes.h"
#include "ui/PanelZoom.h"

namespace {

// Lengths at 100 %; a field draws them at its look's zoom.
constexpr int kPadding = 2;
constexpr int kFrameWidth = 1;
constexpr int kCaretWidth = 1;

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
  const int padding = Zoomed(kPadding, look.zoom);
  const int inner = area.Width() - 2 * padding;
  const int width = WidthOf(font, text, static_cast<int>(text.size()));
  if (width <= inner) {
    if (look.alignment == kAlignCentre) return area.left + padding + (inner - width) / 2;
    if (look.alignment == kAlignRight) return area.left + padding + inner - width;
    return area.left + padding;
  }
  const int caretX = WidthOf(font, text, model.Caret());
  return area.left + padding - std::max(0, caretX - inner + Zoomed(kCaretWidth, look.zoom));
}

}  // namespace

void DrawTextField(graphics::RasterBitmap& bitmap, graphics::RasterCachedFont& font, const TextEntryModel& model,
                   const graphics::Rect& area, const TextFieldLook& look, bool showCaret) {
  using graphics::PaintRect;
  PaintRect(&bitmap, area.left, area.top, area.Width(), area.Height(), look.background, 1.0f, graphics::kBlitCopy);
  graphics::Rect inside = area;
  if (look.frame) {
    const int frame = Zoomed(kFrameWidth, look.zoom);
    PaintRect(&bitmap, area.left, area.top, area.Width(), frame, look.frame, 1.0f, graphics::kBlitCopy);
    PaintRect(&bitmap, area.left, area.bottom - frame, area.Width(), frame, look.frame, 1.0f, graphics::kBlitCopy);
    PaintRect(&bitmap, area.left, area.top, frame, area.Height(), look.frame, 1.0f, graphics::kBlitCopy);
    PaintRect(&bitmap, area.right - frame, area.top, frame, area.Height(), look.frame, 1.0f, graphics::kBlitCopy);
    inside = {area.left + frame, area.top + frame, area.right - frame, area.bottom - frame};
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
    const int caretWidth = Zoomed(kCaretWidth, look.zoom);
    if (caretX >= inside.left && caretX + caretWidth <= inside.right)
      PaintRect(&bitmap, caretX, top, caretWidth, font.LineHeight(), look.text, 1.0f, graphics::kBlitCopy);
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
