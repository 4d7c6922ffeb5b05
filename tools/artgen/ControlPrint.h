// What the panel prints at each control: its label, the scale of a knob,
// the legends of a switch, the windows behind displays, the unlit lens of
// a light and the face of the options button.
#pragma once

#include "instrument/panel/PanelLayout.h"
#include "tools/artgen/Canvas.h"

namespace artgen {

class ParameterTexts;

// Everything but the label.
void DrawControlPrint(cairo_t* cr, const panel::ControlSpec& control, const ParameterTexts& texts);
// Every control's label, set together so that neighbours keep clear of each
// other and rows read evenly.
void DrawLabels(cairo_t* cr);
// The name beside the tab that opens or closes the tweak panel.
void DrawTweakTabLabel(cairo_t* cr, const Rect& tab);

}  // namespace artgen
