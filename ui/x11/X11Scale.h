// The scale the desktop asks programs to draw at, for hosts that tell the
// editor none: the toolkits' variables first, since a user who sets one
// means it for the session, then the display's font resolution.
#pragma once

#include <X11/Xlib.h>

namespace x11 {

// The Xft.dpi resource of an X resource string (lines "name:\tvalue"), or 0
// when it is absent or not a positive number.
double XftDpiOf(const char* resources);

// The display's Xft.dpi resource, or 0 (also for a null display).
double DisplayDpi(Display* display);
// The zoom step of the toolkits' variables (read now), else of `displayDpi`
// over 96, else 100 %.
int SystemZoomFrom(double displayDpi);

// Editor thread. The zoom step nearest GDK_SCALE (an integer, times
// GDK_DPI_SCALE when that is set), else QT_SCALE_FACTOR, else the display's
// Xft.dpi over 96; 100 % when none is set to a usable number. A null
// display has no resources.
int X11SystemZoom(Display* display);

}  // namespace x11
