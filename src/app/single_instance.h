// One instance per desktop: finding a running instance's main window and
// bringing it forward.
#pragma once
#include <windows.h>

// The first top-level window whose title begins with the instance prefix.
HWND FindRunningInstance();

// Shows the window (also when hidden in the notification area), lifts it above
// all others and gives it the foreground, focus and activation.
void BringInstanceForward(HWND window);
