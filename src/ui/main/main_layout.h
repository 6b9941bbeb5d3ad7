// Where the main window's controls go for a client size: pure arithmetic on
// the sizes of the Settings button, the logo and the Decommission button.
// Divisions truncate towards zero; a width or height that the formulas make
// negative is given as 0, so a tiny or minimised window never asks a control
// for a negative size. Portable.
#pragma once
#include "ui/controls/box_layout.h"

struct MainLayout {
    LayoutPoint settings, contact, update;  // right column, sizes kept
    LayoutPoint logo;
    LayoutRect status;  // status text beside the logo
    LayoutPoint decommission, verify, recommission;
    LayoutRect banner;
    LayoutRect results;
};

MainLayout ComputeMainLayout(int cx, int cy, LayoutSize settingsButton, LayoutSize logo, LayoutSize modeButton);
