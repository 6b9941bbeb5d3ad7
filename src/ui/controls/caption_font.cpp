// The caption font, from the main window through its facade.
#include "ui/controls/caption_font.h"

#include "core/main_window_facade.h"

HFONT CaptionFont()
{
    RetirablePointer<MainWindowFacade>::Lease mainWindow(g_mainDialog);
    return mainWindow ? mainWindow->ListFont() : nullptr;
}
