// Layout arithmetic of the pop-up and the message box.
#include "ui/controls/box_layout.h"

#include <algorithm>

int NotNegative(int value) { return std::max(value, 0); }

LayoutPoint CentredButton(int cx, int cy, LayoutSize button)
{
    return {(cx - button.width) / 2, cy - button.height / 2 - button.height};
}

void ButtonPair(int cx, int cy, LayoutSize button, LayoutPoint& first, LayoutPoint& second)
{
    LayoutPoint centre = CentredButton(cx, cy, button);
    first = {centre.x - button.width, centre.y};
    second = {centre.x + button.width, centre.y};
}

LayoutSize TextAreaSize(int cx, int cy, int buttonHeight)
{
    return {NotNegative(cx - 18), NotNegative(cy - 2 * buttonHeight)};
}
