// The panel's sections: framed, titled groups of controls, and the rows of
// the oscillator section parted by rules through their lights.
#pragma once

#include <vector>

#include "tools/artgen/Canvas.h"
#include "ui/PanelTypes.h"

namespace artgen {

struct Section {
  const char* title;
  std::vector<Point> outline;  // clockwise from the top left corner
};

struct Bounds {
  double left, top, right, bottom;
};

const std::vector<Section>& Sections();
Bounds BoundsOf(const Section& section);
// The section a control sits in, or null in the lower strip.
const Section* SectionOf(const Rect& area);

// Every section with its frame and title, and the oscillator rows.
void DrawSections(cairo_t* cr);

inline double CentreX(const Rect& area) { return (area.left + area.right) / 2.0; }
inline double CentreY(const Rect& area) { return (area.top + area.bottom) / 2.0; }

}  // namespace artgen
