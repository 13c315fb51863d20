// CShellWindowThread: a shell window of the component's own for a namespace location, for
// shells whose ShellExecuteEx cannot open one (Wine's hands "folder" ids to a file-system
// lookup and reports no association). The window hosts the system's explorer browser (tree
// pane and folder view) on a thread of its own, so it lives on after whatever opened it.
#pragma once

#include "core/ComPtr.h"
#include "core/Handles.h"
#include "core/Window.h"
#include "core/WinThread.h"

#include <windows.h>
#include <shobjidl.h>

namespace corvasin
{

// Deletes itself when its window has been closed. Owns a clone of the id list, the browser
// and the shell's process reference; everything but Open runs on the window's thread.
class CShellWindowThread : public CWinThread
{
public:
    // Opens a window on the absolute id list; FALSE when no thread could be started.
    static BOOL Open(LPCITEMIDLIST pidl) noexcept;

    static constexpr char c_szWindowClass[] = "CorvasinShellWindow";

protected:
    BOOL InitInstance() noexcept override;
    int ExitInstance() noexcept override;

private:
    explicit CShellWindowThread(LPITEMIDLIST pidl) noexcept : m_pidl(pidl) {}

    // The top-level window: the browser fills its client area; closing it ends the thread.
    class CFrame : public CWnd
    {
    public:
        explicit CFrame(CShellWindowThread* pThread) noexcept : m_pThread(pThread) {}

    protected:
        LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept override;

    private:
        CShellWindowThread* const m_pThread;
    };

    HRESULT CreateBrowser(HWND hwnd) noexcept;
    void DestroyBrowser() noexcept;

    UniquePidl m_pidl;
    ComPtr<IExplorerBrowser> m_pBrowser;
    ComPtr<IUnknown> m_pShellProcess;
    bool m_bOleInitialized = false;
    CFrame m_frame{this};
};

} // namespace corvasin
