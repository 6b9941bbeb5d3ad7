// A thread object: CreateThread starts it at once; InitInstance, Run and
// ExitInstance run on the new thread, and with m_bAutoDelete (the default) the
// object deletes itself when its thread ends, so its creator must not touch it
// after the start unless it arranged otherwise.
#pragma once
#include <windows.h>

#include "framework/win_handle.h"

class CWinThread {
public:
    CWinThread() = default;
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // Starts the thread with the default stack size. On failure the object is
    // not deleted, whatever m_bAutoDelete says: the caller still owns it.
    bool CreateThread();

    bool m_bAutoDelete = true;

protected:
    virtual bool InitInstance() { return true; }
    virtual int Run() = 0;
    virtual int ExitInstance(int exitCode) { return exitCode; }

private:
    static unsigned __stdcall ThreadEntry(void* self) noexcept;

    KernelHandle m_hThread;
};
