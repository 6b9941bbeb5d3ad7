// The process-wide pointer to the running main dialog.
#include "core/main_window_facade.h"

RetirablePointer<MainWindowFacade> g_mainDialog;

void SignalSpoolFileWritten()
{
    RetirablePointer<MainWindowFacade>::Lease host(g_mainDialog);
    if (host) SetEvent(host->SpoolWrittenEvent());
}
