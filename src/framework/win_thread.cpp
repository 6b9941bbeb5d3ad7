// Thread start and the life of a thread object on its own thread.
#include "framework/win_thread.h"

#include <process.h>

CWinThread::~CWinThread() = default;

bool CWinThread::CreateThread()
{
    // _beginthreadex (not CreateThread) so the C runtime is set up for the thread.
    uintptr_t handle = _beginthreadex(nullptr, 0, &CWinThread::ThreadEntry, this, CREATE_SUSPENDED, nullptr);
    if (handle == 0) return false;
    m_hThread.Reset(reinterpret_cast<HANDLE>(handle));
    // Started suspended so that m_hThread is stored before the thread can
    // delete the object.
    ResumeThread(m_hThread.Get());
    return true;
}

unsigned __stdcall CWinThread::ThreadEntry(void* self) noexcept
{
    auto* thread = static_cast<CWinThread*>(self);
    int exitCode = thread->InitInstance() ? thread->Run() : 0;
    exitCode = thread->ExitInstance(exitCode);
    if (thread->m_bAutoDelete) delete thread;
    return static_cast<unsigned>(exitCode);
}
