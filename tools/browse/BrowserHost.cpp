// The host window of corvasin-browse and its explorer browser.
#include "BrowserHost.h"

#include "framework/core/Handles.h"

#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

namespace corvasin
{

namespace
{

constexpr wchar_t c_szWindowClass[] = L"CorvasinBrowseWindow";
constexpr wchar_t c_szTitleSuffix[] = L" - Corvasin";

// The list control inside a folder view window.
HWND FindListControl(HWND hwndView) noexcept
{
    if (HWND hwndList = ::FindWindowExW(hwndView, nullptr, WC_LISTVIEWW, nullptr))
        return hwndList;
    // Some views put a frame between their window and the list.
    for (HWND hwndChild = ::GetWindow(hwndView, GW_CHILD); hwndChild;
         hwndChild = ::GetWindow(hwndChild, GW_HWNDNEXT))
    {
        if (HWND hwndList = ::FindWindowExW(hwndChild, nullptr, WC_LISTVIEWW, nullptr))
            return hwndList;
    }
    return nullptr;
}

} // namespace

CBrowserHost::~CBrowserHost()
{
    if (m_hwnd)
        ::DestroyWindow(m_hwnd);
}

HRESULT CBrowserHost::Create(HINSTANCE hInstance, int cx, int cy) noexcept
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(hInstance, c_szWindowClass, &wc))
    {
        wc.cbSize = sizeof(wc);
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = hInstance;
        wc.hIcon = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
        wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = c_szWindowClass;
        if (!::RegisterClassExW(&wc))
            return HRESULT_FROM_WIN32(::GetLastError());
    }

    const HWND hwnd = ::CreateWindowExW(0, c_szWindowClass, L"Registry - Corvasin",
                                        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                        CW_USEDEFAULT, cx, cy, nullptr, nullptr, hInstance, this);
    if (!hwnd)
        return HRESULT_FROM_WIN32(::GetLastError());
    return m_pBrowser ? S_OK : E_FAIL;
}

HRESULT CBrowserHost::CreateBrowser() noexcept
{
    ComPtr<IExplorerBrowser> pBrowser;
    HRESULT hr = ::CoCreateInstance(CLSID_ExplorerBrowser, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IExplorerBrowser, pBrowser.put_void());
    if (FAILED(hr))
        return hr;

    auto* pSite = new (std::nothrow) CBrowserSite(m_hwnd);
    if (!pSite)
        return E_OUTOFMEMORY;
    m_pSite = ComPtr<CBrowserSite>::Attach(pSite);

    // The site must be in place before the first navigation: the browser asks it for the
    // frame's ICommDlgBrowser each time it browses.
    hr = ::IUnknown_SetSite(pBrowser.get(), static_cast<IServiceProvider*>(m_pSite.get()));
    if (FAILED(hr))
        return hr;

    // Options before Initialize: the tree pane is laid out on the first WM_SIZE of the
    // browser's window, which Initialize causes.
    pBrowser->SetOptions(EBO_SHOWFRAMES | EBO_NOBORDER);

    RECT rc = {};
    ::GetClientRect(m_hwnd, &rc);
    FOLDERSETTINGS fs = {FVM_DETAILS, 0};
    hr = pBrowser->Initialize(m_hwnd, &rc, &fs);
    if (FAILED(hr))
        return hr;

    pBrowser->Advise(static_cast<IExplorerBrowserEvents*>(m_pSite.get()), &m_dwEventsCookie);
    m_pBrowser = pBrowser;
    return S_OK;
}

void CBrowserHost::DestroyBrowser() noexcept
{
    if (!m_pBrowser)
        return;
    if (m_dwEventsCookie)
        m_pBrowser->Unadvise(m_dwEventsCookie);
    m_dwEventsCookie = 0;
    ::IUnknown_SetSite(m_pBrowser.get(), nullptr);
    m_pBrowser->Destroy();
    m_pBrowser.reset();
    m_pSite.reset();
}

HRESULT CBrowserHost::BrowseTo(LPCITEMIDLIST pidl) noexcept
{
    if (!m_pBrowser)
        return E_UNEXPECTED;
    return m_pBrowser->BrowseToIDList(pidl, SBSP_ABSOLUTE);
}

HRESULT CBrowserHost::DoubleClickItem(int iItem) noexcept
{
    if (!m_pBrowser)
        return E_UNEXPECTED;
    ComPtr<IShellView> psv;
    HRESULT hr = m_pBrowser->GetCurrentView(IID_IShellView, psv.put_void());
    if (FAILED(hr))
        return hr;
    HWND hwndView = nullptr;
    hr = psv->GetWindow(&hwndView);
    if (FAILED(hr))
        return hr;
    const HWND hwndList = FindListControl(hwndView);
    if (!hwndList)
        return E_FAIL;

    RECT rcItem = {};
    rcItem.left = LVIR_LABEL;
    if (!::SendMessageW(hwndList, LVM_GETITEMRECT, iItem, reinterpret_cast<LPARAM>(&rcItem)))
        return E_INVALIDARG;
    ::SendMessageW(hwndList, LVM_ENSUREVISIBLE, iItem, FALSE);
    ::SendMessageW(hwndList, LVM_GETITEMRECT, iItem, reinterpret_cast<LPARAM>(&rcItem));
    const LPARAM lParamPoint =
        MAKELPARAM((rcItem.left + rcItem.right) / 2, (rcItem.top + rcItem.bottom) / 2);

    // The same messages a real double-click produces; the list control turns the second
    // press into NM_DBLCLK for the view.
    ::SetFocus(hwndList);
    ::SendMessageW(hwndList, WM_LBUTTONDOWN, MK_LBUTTON, lParamPoint);
    ::SendMessageW(hwndList, WM_LBUTTONUP, 0, lParamPoint);
    ::SendMessageW(hwndList, WM_LBUTTONDBLCLK, MK_LBUTTON, lParamPoint);
    ::SendMessageW(hwndList, WM_LBUTTONUP, 0, lParamPoint);
    return S_OK;
}

void CBrowserHost::OnNavigated(LPCITEMIDLIST pidl) noexcept
{
    UniqueCoTaskMem pszName;
    m_strLocation.clear();
    if (SUCCEEDED(::SHGetNameFromIDList(pidl, SIGDN_DESKTOPABSOLUTEPARSING,
                                        reinterpret_cast<PWSTR*>(pszName.put()))))
        m_strLocation = static_cast<PCWSTR>(pszName.get());

    std::wstring title;
    if (SUCCEEDED(::SHGetNameFromIDList(pidl, SIGDN_NORMALDISPLAY,
                                        reinterpret_cast<PWSTR*>(pszName.put()))))
        title = static_cast<PCWSTR>(pszName.get());
    if (title.empty())
        title = L"Registry";
    title += c_szTitleSuffix;
    ::SetWindowTextW(m_hwnd, title.c_str());
}

LRESULT CALLBACK CBrowserHost::WindowProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CBrowserHost* pThis = nullptr;
    if (uMsg == WM_NCCREATE)
    {
        pThis = static_cast<CBrowserHost*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        pThis->m_hwnd = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pThis));
    }
    else
    {
        pThis = reinterpret_cast<CBrowserHost*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!pThis)
        return ::DefWindowProcW(hwnd, uMsg, wParam, lParam);

    const LRESULT lResult = pThis->HandleMessage(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY)
    {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        pThis->m_hwnd = nullptr;
    }
    return lResult;
}

LRESULT CBrowserHost::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (uMsg)
    {
    case WM_CREATE:
        return SUCCEEDED(CreateBrowser()) ? 0 : -1;

    case WM_SIZE:
        if (m_pBrowser)
        {
            RECT rc = {0, 0, LOWORD(lParam), HIWORD(lParam)};
            m_pBrowser->SetRect(nullptr, rc);
        }
        return 0;

    case WM_BROWSE_CHILD:
    {
        UniquePidl pidlChild(reinterpret_cast<LPITEMIDLIST>(lParam));
        if (m_pBrowser)
            m_pBrowser->BrowseToIDList(pidlChild.get(), SBSP_RELATIVE);
        return 0;
    }

    case WM_NAVIGATED:
        OnNavigated(reinterpret_cast<LPCITEMIDLIST>(lParam));
        return 0;

    case WM_DESTROY:
        DestroyBrowser();
        ::PostQuitMessage(0);
        return 0;

    default:
        return ::DefWindowProcW(m_hwnd, uMsg, wParam, lParam);
    }
}

} // namespace corvasin
