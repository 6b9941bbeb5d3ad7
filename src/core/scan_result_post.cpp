// PostScanResult and AddLogRow.
#include "core/scan_result_post.h"

#include <memory>

#include "core/main_window_facade.h"

void PostScanResult(HWND listWindow, ScanResult* record)
{
    std::unique_ptr<ScanResult> owned(record);
    if (!listWindow || !IsWindow(listWindow)) return;
    if (PostMessageA(listWindow, WM_SCANRESULT, 0, reinterpret_cast<LPARAM>(owned.get()))) owned.release();
}

void AddLogRow(const char* format, ...)
{
    HWND list = nullptr;
    {
        RetirablePointer<MainWindowFacade>::Lease mainDialog(g_mainDialog);
        if (!mainDialog) return;
        list = mainDialog->ResultsWindow();
    }
    if (!list || !IsWindow(list)) return;

    auto record = std::make_unique<ScanResult>();
    record->kind = ScanResultKind::Log;
    record->mode = Login;
    record->statusText = "LOG";
    va_list args;
    va_start(args, format);
    record->barcode = StringPrintfV(format, args);
    va_end(args);
    PostScanResult(list, record.release());
}
