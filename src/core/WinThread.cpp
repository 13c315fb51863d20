// The thread base: start, the thread procedure with its message loop, and the end of a thread.
#include "core/WinThread.h"

namespace corvasin
{

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize) noexcept
{
    if (m_hThread)
        return FALSE;
    // The thread's own reference on the module that holds its code: a shell may unload an
    // extension once its objects are gone, while the thread still runs its last lines.
    UniqueHmodule hModule;
    if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                              reinterpret_cast<LPCSTR>(&CWinThread::ThreadProc), hModule.put()))
        return FALSE;

    // Started suspended in any case, so that the handle and id are in place before the thread
    // can end (and delete the object).
    DWORD nThreadID = 0;
    HANDLE hThread = ::CreateThread(nullptr, nStackSize, &CWinThread::ThreadProc, this,
                                    CREATE_SUSPENDED, &nThreadID);
    if (!hThread)
        return FALSE;
    m_hThread.reset(hThread);
    // The reference passes to the thread, which gives it back as it ends; it reads it only once
    // it runs.
    m_hModule = hModule.release();
    m_nThreadID = nThreadID;
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        ::ResumeThread(hThread);
    return TRUE;
}

BOOL CWinThread::SetThreadPriority(int nPriority) noexcept
{
    return m_hThread ? ::SetThreadPriority(m_hThread.get(), nPriority) : FALSE;
}

int CWinThread::GetThreadPriority() const noexcept
{
    return m_hThread ? ::GetThreadPriority(m_hThread.get()) : THREAD_PRIORITY_ERROR_RETURN;
}

DWORD CWinThread::ResumeThread() noexcept
{
    return m_hThread ? ::ResumeThread(m_hThread.get()) : static_cast<DWORD>(-1);
}

BOOL CWinThread::PostThreadMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) const noexcept
{
    return m_nThreadID ? ::PostThreadMessageA(m_nThreadID, uMsg, wParam, lParam) : FALSE;
}

BOOL CWinThread::InitInstance() noexcept { return FALSE; }

int CWinThread::ExitInstance() noexcept { return m_nQuitCode; }

BOOL CWinThread::PreTranslateMessage(MSG*) noexcept { return FALSE; }

void CWinThread::Dispatch(MSG& msg) noexcept
{
    if (PreTranslateMessage(&msg))
        return;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
}

int CWinThread::Run() noexcept
{
    MSG msg;
    for (;;)
    {
        const BOOL bResult = ::GetMessageA(&msg, nullptr, 0, 0);
        if (bResult == -1)
            break;
        if (!bResult)
        {
            m_nQuitCode = static_cast<int>(msg.wParam);
            break;
        }
        Dispatch(msg);
    }
    return ExitInstance();
}

void CWinThread::PumpWaitingMessages() noexcept
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_QUIT)
        {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Dispatch(msg);
    }
}

DWORD CWinThread::RunThread() noexcept
{
    // Every step is noexcept; the catch stops anything a derived class lets escape anyway,
    // since 32-bit unwinding cannot cross the system's frames above the thread procedure.
    int nExitCode = 0;
    try
    {
        nExitCode = InitInstance() ? Run() : ExitInstance();
    }
    catch (...)
    {
        nExitCode = -1;
    }
    if (m_bAutoDelete)
        delete this;
    return static_cast<DWORD>(nExitCode);
}

DWORD WINAPI CWinThread::ThreadProc(LPVOID pParam) noexcept
{
    auto* pThis = static_cast<CWinThread*>(pParam);
    // Read before the object may delete itself.
    const HMODULE hModule = pThis->m_hModule;
    const DWORD dwExitCode = pThis->RunThread();
    // Nothing of this module runs after the module reference is given back.
    if (hModule)
        ::FreeLibraryAndExitThread(hModule, dwExitCode);
    return dwExitCode;
}

} // namespace corvasin
