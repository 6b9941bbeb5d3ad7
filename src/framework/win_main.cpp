// The process entry of the program: hands control to the one application object.
#include "framework/win_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    CWinApp* app = CWinApp::Current();
    return app ? app->Main(instance, commandLine) : 1;
}
