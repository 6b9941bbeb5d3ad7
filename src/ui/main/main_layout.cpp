// The main window's layout formulas.
#include "ui/main/main_layout.h"

MainLayout ComputeMainLayout(int cx, int cy, LayoutSize settingsButton, LayoutSize logo, LayoutSize modeButton)
{
    MainLayout layout;
    const int wS = settingsButton.width, m = settingsButton.height / 2;
    const int xR = cx - (5 * wS) / 4;
    layout.settings = {xR, m};
    layout.contact = {xR, 4 * m};
    layout.update = {xR, 7 * m};

    layout.logo = {m, m};
    layout.status = {logo.width + 2 * m, m, NotNegative(cx - 3 * m - (5 * wS) / 4 - logo.width), NotNegative(logo.height)};
    int y = m + (120 * logo.height) / 100;

    const int wD = modeButton.width, hD = modeButton.height;
    const int xM = (cx - wD - 100) / 2, step = (6 * wD) / 4;
    layout.decommission = {xM - step, y};
    layout.verify = {xM, y};
    layout.recommission = {xM + step, y};
    y += (120 * hD) / 100;

    layout.banner = {wD, y, NotNegative(cx - 2 * wD - 80), NotNegative(hD)};
    y += (120 * hD) / 100;

    layout.results = {0, y, NotNegative(cx), NotNegative(cy - y)};
    return layout;
}
