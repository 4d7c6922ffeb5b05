// Drawing a one-line text field (the in-place entry, the path dialog's
// field) into a bitmap: background, selection, text and caret, with the text
// scrolled so that the caret stays in view.
#pragma once

#include <cstdint>

#include "graphics/RasterFont.h"
#include "plugin/PanelSizes.h"
#include "ui/TextEntryModel.h"

struct TextFieldLook {
  std::uint32_t background = 0xFFFFFFFF;
  std::uint32_t text = 0xFF000000;
  std::uint32_t selection = 0xFF3366CC;
  std::uint32_t selectedText = 0xFFFFFFFF;
  int alignment = 0;        // TextAlignment
  std::uint32_t frame = 0;  // a one-pixel border (at 100 %) in this colour; 0 for none
  int zoom = kDefaultZoom;  // the padding, border and caret grow with it; the font is the caller's
};

void DrawTextField(graphics::RasterBitmap& bitmap, graphics::RasterCachedFont& font, const TextEntryModel& model,
                   const graphics::Rect& area, const TextFieldLook& look, bool showCaret);

// The caret position nearest to bitmap column x, for a click into the field.
int TextFieldPositionAt(graphics::RasterCachedFont& font, const TextEntryModel& model, const graphics::Rect& area,
                        const TextFieldLook& look, int x);
