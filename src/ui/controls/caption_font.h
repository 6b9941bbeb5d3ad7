// The font the program's own controls write their captions in: the results
// list's font, so that every window reads alike.
#pragma once
#include <windows.h>

// Null while the main window has no results list (a control drawn before the
// list exists, or outside the program): callers then keep the surface's
// default font.
HFONT CaptionFont();
