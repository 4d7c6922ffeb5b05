// A message box drawn by the editor itself: the text with its line breaks
// and tabs, the buttons of an MessageType, and optionally a one-line field
// (the path dialog). Layout, hit test and drawing; the window is the
// system's business.
#pragma once

#include <string>
#include <vector>

#include "graphics/RasterFont.h"
#include "plugin/PanelSizes.h"
#include "ui/TextEntryModel.h"
#include "ui/TextFieldView.h"

class MessageBoxView {
 public:
  // `type` is an MessageType; the icon flags are ignored. Every length of
  // the box is drawn at `zoom` percent; `font` is expected at that size.
  MessageBoxView(const char* text, int type, graphics::RasterCachedFont* font, bool withField = false,
                 int zoom = kDefaultZoom);

  int Width() const { return width_; }
  int Height() const { return height_; }

  int ButtonCount() const { return static_cast<int>(answers_.size()); }
  // The MessageAnswer of a button.
  int ButtonAnswer(int button) const { return answers_[static_cast<std::size_t>(button)]; }
  graphics::Rect ButtonRect(int button) const;
  int ButtonAt(int x, int y) const;
  // What Return and Escape (or closing the window) answer: OK or Yes, and
  // Cancel or No (OK where it is the only button).
  int ReturnAnswer() const { return answers_.front(); }
  int EscapeAnswer() const { return answers_.back(); }
  graphics::Rect FieldRect() const { return field_; }
  // How the field is drawn, for placing the caret where a click lands.
  TextFieldLook FieldLook() const;

  // `pressed`: the button drawn pushed in, or -1. The field is drawn when
  // the box has one and `field` is given.
  void Draw(graphics::RasterBitmap& bitmap, int pressed, const TextEntryModel* field, bool caret) const;

  // Tabs turned into spaces up to the next stop of eight characters.
  static std::string ExpandTabs(const std::string& line);

 private:
  int Scaled(int pixels) const;

  graphics::RasterCachedFont* font_;
  int zoom_;
  std::vector<std::string> lines_;
  std::vector<int> answers_;
  int width_ = 0;
  int height_ = 0;
  int textTop_ = 0;
  int buttonsLeft_ = 0;
  int buttonsTop_ = 0;
  graphics::Rect field_;
};
