// The process-wide pointer to the running main dialog.
#include "app/scan_host.h"

RetirablePointer<ScanHost> g_mainDialog;
