// The thread base: a Win32 thread with its own message loop. InitInstance does the thread's work
// and says whether the loop should run; ExitInstance cleans up, whichever way the thread ends.
// The windows a thread creates belong to it and are served by its loop.
#pragma once

#include "core/Handles.h"

#include <windows.h>

namespace corvasin
{

// Created by one thread, then run by the new one. Until ResumeThread (or CreateThread without
// CREATE_SUSPENDED) the creator may set it up; afterwards only the new thread touches it, and
// an object with m_bAutoDelete (the default) deletes itself when the thread ends. The thread
// holds a reference on this module for its whole life, so the module is not unloaded under it.
class CWinThread
{
public:
    CWinThread() noexcept = default;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    virtual ~CWinThread() = default;

    // Starts the thread; CREATE_SUSPENDED leaves it waiting for ResumeThread. FALSE when no
    // thread could be made (the object is then still the caller's).
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0) noexcept;
    BOOL SetThreadPriority(int nPriority) noexcept;
    int GetThreadPriority() const noexcept;
    // The previous suspend count, or (DWORD)-1.
    DWORD ResumeThread() noexcept;
    BOOL PostThreadMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) const noexcept;

    HANDLE GetThreadHandle() const noexcept { return m_hThread.get(); }
    DWORD GetThreadId() const noexcept { return m_nThreadID; }

    // Whether the object deletes itself once the thread has run ExitInstance.
    bool m_bAutoDelete = true;

protected:
    // The thread's work. TRUE runs the message loop until WM_QUIT; FALSE ends the thread at
    // once. The base does nothing and ends the thread.
    virtual BOOL InitInstance() noexcept;
    // The message loop; returns ExitInstance's result once WM_QUIT arrives.
    virtual int Run() noexcept;
    // Runs last on the thread, after InitInstance failed or the loop ended; the thread's exit
    // code. The base answers the WM_QUIT code (0 when the loop never ran).
    virtual int ExitInstance() noexcept;
    // A message on its way to its window; TRUE when it was handled here (dialog navigation,
    // for instance) and must not be dispatched.
    virtual BOOL PreTranslateMessage(MSG* pMsg) noexcept;

    // Serves every message waiting in the thread's queue now, from inside a long piece of
    // work. A WM_QUIT found there is posted again, so the loop still ends.
    void PumpWaitingMessages() noexcept;

private:
    static DWORD WINAPI ThreadProc(LPVOID pParam) noexcept;
    // Everything between the start and the exit of the thread; deletes the object when asked.
    DWORD RunThread() noexcept;
    void Dispatch(MSG& msg) noexcept;

    UniqueHandle m_hThread;
    DWORD m_nThreadID = 0;
    HMODULE m_hModule = nullptr; // the thread's reference on this module
    int m_nQuitCode = 0;
};

} // namespace corvasin
