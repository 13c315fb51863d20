// The component's own shell window: a frame around the system's explorer browser, on a thread
// that ends when the frame is closed.
#include "search/ShellWindowThread.h"

#include "core/Module.h"
#include "core/Strings.h"

#include <ole2.h>
#include <shlobj.h>

#include <new>

namespace corvasin
{

namespace
{
constexpr int c_cxFrame = 800;
constexpr int c_cyFrame = 560;

bool RegisterFrameClass() noexcept
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    if (::GetClassInfoExA(ModuleInstance(), CShellWindowThread::c_szWindowClass, &wc))
        return true;
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &CWnd::StaticWindowProc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = CShellWindowThread::c_szWindowClass;
    // Another thread may have registered it in the meantime.
    return ::RegisterClassExA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The location's name as the shell shows it, for the caption.
CString LocationName(LPCITEMIDLIST pidl) noexcept
{
    UniqueCoTaskMem pszName;
    if (FAILED(::SHGetNameFromIDList(pidl, SIGDN_NORMALDISPLAY,
                                     reinterpret_cast<PWSTR*>(pszName.put()))))
        return {};
    return WideToAnsi(static_cast<PCWSTR>(pszName.get()));
}
} // namespace

BOOL CShellWindowThread::Open(LPCITEMIDLIST pidl) noexcept
{
    if (!pidl)
        return FALSE;
    LPITEMIDLIST pidlClone = ::ILClone(pidl);
    if (!pidlClone)
        return FALSE;
    auto* pThread = new (std::nothrow) CShellWindowThread(pidlClone);
    if (!pThread)
    {
        ::ILFree(pidlClone);
        return FALSE;
    }
    if (!pThread->CreateThread())
    {
        delete pThread;
        return FALSE;
    }
    return TRUE; // the thread owns itself from here on
}

BOOL CShellWindowThread::InitInstance() noexcept
{
    m_bOleInitialized = SUCCEEDED(::OleInitialize(nullptr));
    // Keeps the shell's process alive while the window is open.
    ::SHGetInstanceExplorer(m_pShellProcess.put());
    if (!RegisterFrameClass())
        return FALSE;

    const CString caption = LocationName(m_pidl.get());
    const RECT rect = {100, 100, 100 + c_cxFrame, 100 + c_cyFrame};
    if (!m_frame.CreateEx(0, c_szWindowClass, caption.empty() ? "Registry" : caption.c_str(),
                          WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, rect, nullptr, 0))
        return FALSE;
    if (!m_pBrowser)
        return FALSE;
    ::ShowWindow(m_frame.GetSafeHwnd(), SW_SHOWNORMAL);
    // Shown before browsing, so the view lays itself out in the final size.
    return SUCCEEDED(m_pBrowser->BrowseToIDList(m_pidl.get(), SBSP_ABSOLUTE));
}

int CShellWindowThread::ExitInstance() noexcept
{
    m_frame.DestroyWindow();
    DestroyBrowser();
    m_pShellProcess.reset();
    if (m_bOleInitialized)
        ::OleUninitialize();
    m_bOleInitialized = false;
    return CWinThread::ExitInstance();
}

HRESULT CShellWindowThread::CreateBrowser(HWND hwnd) noexcept
{
    ComPtr<IExplorerBrowser> pBrowser;
    HRESULT hr = ::CoCreateInstance(CLSID_ExplorerBrowser, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IExplorerBrowser, pBrowser.put_void());
    if (FAILED(hr))
        return hr;
    // Options before Initialize: the tree pane is laid out on the first size of the browser.
    pBrowser->SetOptions(EBO_SHOWFRAMES);
    RECT rc = {};
    ::GetClientRect(hwnd, &rc);
    FOLDERSETTINGS fs = {FVM_DETAILS, 0};
    hr = pBrowser->Initialize(hwnd, &rc, &fs);
    if (FAILED(hr))
        return hr;
    m_pBrowser = pBrowser;
    return S_OK;
}

void CShellWindowThread::DestroyBrowser() noexcept
{
    if (!m_pBrowser)
        return;
    m_pBrowser->Destroy();
    m_pBrowser.reset();
}

LRESULT CShellWindowThread::CFrame::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (uMsg)
    {
    case WM_CREATE:
        return SUCCEEDED(m_pThread->CreateBrowser(m_hWnd)) ? 0 : -1;
    case WM_SIZE:
        if (m_pThread->m_pBrowser)
        {
            const RECT rc = {0, 0, LOWORD(lParam), HIWORD(lParam)};
            m_pThread->m_pBrowser->SetRect(nullptr, rc);
        }
        return 0;
    case WM_DESTROY:
        m_pThread->DestroyBrowser();
        ::PostQuitMessage(0);
        return 0;
    default:
        return Default(uMsg, wParam, lParam);
    }
}

} // namespace corvasin
