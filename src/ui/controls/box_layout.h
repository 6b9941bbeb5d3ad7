// The product pop-up's and the message box's layout arithmetic: buttons one
// and a half button heights above the bottom edge, centred (one button) or
// side by side with one button width between them, and the text area that
// fills the rest. Sizes that would come out negative are given as 0.
// Portable; the shared layout types live here too.
#pragma once

struct LayoutSize {
    int width = 0, height = 0;
};

struct LayoutPoint {
    int x = 0, y = 0;
};

struct LayoutRect {
    int x = 0, y = 0, width = 0, height = 0;
};

int NotNegative(int value);

LayoutPoint CentredButton(int cx, int cy, LayoutSize button);
// The two buttons of an Ok/Cancel or Yes/No box: first and second.
void ButtonPair(int cx, int cy, LayoutSize button, LayoutPoint& first, LayoutPoint& second);
LayoutSize TextAreaSize(int cx, int cy, int buttonHeight);
