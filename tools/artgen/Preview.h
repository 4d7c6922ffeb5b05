// The whole panel put together from the art, as the editor would show it
// with every parameter at its default: for looking at the art, not shipped.
#pragma once

#include <map>

#include "tools/artgen/Canvas.h"

namespace artgen {

class ParameterTexts;

// `images` holds the painted images by resource id. With `open` the tweak
// panel is shown open and the lights lit; otherwise the blinds are down.
cairo_surface_t* ComposePreview(const std::map<int, cairo_surface_t*>& images, const ParameterTexts& texts, bool open);

}  // namespace artgen
