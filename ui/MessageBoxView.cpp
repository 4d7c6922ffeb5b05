#include "ui/MessageBoxView.h"

#include <algorithm>

#include "graphics/RasterBlit.h"
#include "plugin/EditorView.h"
#include "ui/PanelZoom.h"

namespace {

// Lengths at 100 %; a box draws them at its zoom.
constexpr int kMargin = 16;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 24;
constexpr int kButtonGap = 10;
constexpr int kMinimumTextWidth = 200;
// Wider lines (a long path, say) are cut at the margin: the box stays on any screen.
constexpr int kWidestText = 760;
constexpr int kFieldWidth = 380;
constexpr int kFieldPadding = 8;  // above and below the text together
constexpr int kFrameWidth = 1;
// The line height taken when there is no font to measure.
constexpr int kLineHeightWithoutFont = 12;
constexpr int kTabStop = 8;

constexpr std::uint32_t kBackground = 0xFFECECEC;
constexpr std::uint32_t kText = 0xFF000000;
constexpr std::uint32_t kButtonFace = 0xFFF8F8F8;
constexpr std::uint32_t kButtonPressed = 0xFFC8D4EC;
constexpr std::uint32_t kButtonFrame = 0xFF7A7A7A;
constexpr std::uint32_t kDefaultFrame = 0xFF3366CC;

void Fill(graphics::RasterBitmap& bitmap, int x, int y, int width, int height, std::uint32_t colour) {
  graphics::PaintRect(&bitmap, x, y, width, height, colour, 1.0f, graphics::kBlitCopy);
}

void Frame(graphics::RasterBitmap& bitmap, const graphics::Rect& r, int width, std::uint32_t colour) {
  Fill(bitmap, r.left, r.top, r.Width(), width, colour);
  Fill(bitmap, r.left, r.bottom - width, r.Width(), width, colour);
  Fill(bitmap, r.left, r.top, width, r.Height(), colour);
  Fill(bitmap, r.right - width, r.top, width, r.Height(), colour);
}

const char* ButtonLabel(int answer) {
  switch (answer) {
    case kAnswerOk: return "OK";
    case kAnswerCancel: return "Cancel";
    case kAnswerYes: return "Yes";
    default: return "No";
  }
}

}  // namespace

std::string MessageBoxView::ExpandTabs(const std::string& line) {
  std::string expanded;
  for (char c : line) {
    if (c != '\t') {
      expanded += c;
      continue;
    }
    do expanded += ' ';
    while (expanded.size() % kTabStop != 0);
  }
  return expanded;
}

MessageBoxView::MessageBoxView(const char* text, int type, graphics::RasterCachedFont* font, bool withField, int zoom)
    : font_(font), zoom_(zoom) {
  const std::string all = text ? text : "";
  for (std::size_t start = 0;;) {
    const std::size_t end = all.find('\n', start);
    std::string line = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines_.push_back(ExpandTabs(line));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  switch (type & 0xF) {
    case kMessageOkCancel: answers_ = {kAnswerOk, kAnswerCancel}; break;
    case kMessageYesNo: answers_ = {kAnswerYes, kAnswerNo}; break;
    default: answers_ = {kAnswerOk}; break;
  }

  const int lineHeight = font_ ? font_->LineHeight() : Scaled(kLineHeightWithoutFont);
  const int margin = Scaled(kMargin);
  int textWidth = Scaled(kMinimumTextWidth);
  for (const std::string& line : lines_) {
    if (!font_) break;
    graphics::Rect box{0, 0, 0, 0};
    font_->DrawText(nullptr, line.c_str(), -1, &box, graphics::kTextMeasureOnly | graphics::kTextSingleLine);
    textWidth = std::max(textWidth, box.Width());
  }
  textWidth = std::min(textWidth, Scaled(kWidestText));
  if (withField) textWidth = std::max(textWidth, Scaled(kFieldWidth));
  const int buttonsWidth = ButtonCount() * Scaled(kButtonWidth) + (ButtonCount() - 1) * Scaled(kButtonGap);
  width_ = 2 * margin + std::max(textWidth, buttonsWidth);
  textTop_ = margin;
  int y = textTop_ + static_cast<int>(lines_.size()) * lineHeight + margin;
  if (withField) {
    field_ = {margin, y, width_ - margin, y + lineHeight + Scaled(kFieldPadding)};
    y = field_.bottom + margin;
  }
  buttonsTop_ = y;
  buttonsLeft_ = (width_ - buttonsWidth) / 2;
  height_ = buttonsTop_ + Scaled(kButtonHeight) + margin;
}

int MessageBoxView::Scaled(int pixels) const { return Zoomed(pixels, zoom_); }

graphics::Rect MessageBoxView::ButtonRect(int button) const {
  const int left = buttonsLeft_ + button * (Scaled(kButtonWidth) + Scaled(kButtonGap));
  return {left, buttonsTop_, left + Scaled(kButtonWidth), buttonsTop_ + Scaled(kButtonHeight)};
}

TextFieldLook MessageBoxView::FieldLook() const {
  TextFieldLook look;
  look.frame = kButtonFrame;
  look.zoom = zoom_;
  return look;
}

int MessageBoxView::ButtonAt(int x, int y) const {
  for (int i = 0; i < ButtonCount(); ++i) {
    const graphics::Rect r = ButtonRect(i);
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return i;
  }
  return -1;
}

void MessageBoxView::Draw(graphics::RasterBitmap& bitmap, int pressed, const TextEntryModel* field, bool caret) const {
  Fill(bitmap, 0, 0, width_, height_, kBackground);
  if (font_) {
    font_->SetBackgroundMode(graphics::RasterCachedFont::kTransparent);
    const std::uint32_t previous = font_->SetTextColour(kText);
    const int margin = Scaled(kMargin);
    const graphics::Rect textArea{margin, textTop_, width_ - margin, height_};
    font_->SetClipArea(&textArea);
    int y = textTop_;
    for (const std::string& line : lines_) {
      font_->DrawTextAt(&bitmap, margin, y, line.c_str(), -1);
      y += font_->LineHeight();
    }
    font_->SetClipArea(nullptr);
    for (int i = 0; i < ButtonCount(); ++i) {
      graphics::Rect r = ButtonRect(i);
      Fill(bitmap, r.left, r.top, r.Width(), r.Height(), i == pressed ? kButtonPressed : kButtonFace);
      Frame(bitmap, r, Scaled(kFrameWidth), i == 0 ? kDefaultFrame : kButtonFrame);
      font_->SetTextColour(kText);
      font_->DrawText(&bitmap, ButtonLabel(ButtonAnswer(i)), -1, &r,
                      graphics::kTextCentre | graphics::kTextVerticalCentre | graphics::kTextSingleLine);
    }
    font_->SetTextColour(previous);
    if (field && field_.Width() > 0) DrawTextField(bitmap, *font_, *field, field_, FieldLook(), caret);
  }
}
