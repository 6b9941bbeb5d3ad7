// Failure: the report after which the calling thread cannot go on.
#include <windows.h>

#include "core/program_context.h"
#include "core/log.h"
#include "framework/error_text.h"
#include "core/main_window_facade.h"

namespace {

// Static initialisation runs on the process's main thread.
const DWORD g_mainThreadId = GetCurrentThreadId();

constexpr const char kFailureCaption[] = "QuorvixFMD Wedge Scanner";

// The main window when there is one. Before it exists (start-up) the box has
// no owner and is kept top-most and in the foreground instead, so that it
// cannot hide behind other programs while nothing of ours is on screen.
UINT OwnerAndStyle(HWND& owner)
{
    RetirablePointer<MainWindowFacade>::Lease mainDialog(g_mainDialog);
    owner = mainDialog ? mainDialog->MainWindow() : nullptr;
    if (owner && IsWindow(owner)) return MB_OK;
    owner = nullptr;
    return MB_OK | MB_SETFOREGROUND | MB_TOPMOST;
}

}  // namespace

void Failure(const char* format, ...)
{
    DWORD error = GetLastError();
    va_list args;
    va_start(args, format);
    std::string message = StringPrintfV(format, args);
    va_end(args);
    std::string reason = SystemErrorText(error);

    if (ProgramContext* app = ProgramContext::Current())
        app->Trace().WriteLine(StringPrintf("FAILURE %s Reason: %s", message.c_str(), reason.c_str()));

    std::string text = message + "\r\n\r\nReason: " + reason + "\r\nThread closing";
    HWND owner = nullptr;
    UINT style = OwnerAndStyle(owner);  // the lease ends before the box opens
    MessageBoxA(owner, text.c_str(), kFailureCaption, style);

    // On the main thread the program cannot go on either; ending the process
    // (rather than the thread) makes sure it really ends, with code 2, even
    // when the system keeps helper threads of its own.
    if (GetCurrentThreadId() == g_mainThreadId) ExitProcess(2);
    ExitThread(2);
}
