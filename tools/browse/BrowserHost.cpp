// The host window of corvasin-browse and its explorer browser.
#include "BrowserHost.h"

#include "BrowseOptions.h"

#include "core/Handles.h"
#include "core/Strings.h"
#include "framework/ItemIdList.h"
#include "registry/RegItem.h"

#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

namespace corvasin
{

namespace
{

constexpr wchar_t c_szWindowClass[] = L"CorvasinBrowseWindow";
constexpr wchar_t c_szTitleSuffix[] = L" - Corvasin";
constexpr int c_cyAddress = 24;

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

// The first window of the class below hwndParent, at any depth.
HWND FindDescendant(HWND hwndParent, const wchar_t* pszClass) noexcept
{
    for (HWND hwndChild = ::GetWindow(hwndParent, GW_CHILD); hwndChild;
         hwndChild = ::GetWindow(hwndChild, GW_HWNDNEXT))
    {
        wchar_t szClass[64] = {};
        if (::GetClassNameW(hwndChild, szClass, ARRAYSIZE(szClass)) &&
            ::lstrcmpiW(szClass, pszClass) == 0)
            return hwndChild;
        if (HWND hwndFound = FindDescendant(hwndChild, pszClass))
            return hwndFound;
    }
    return nullptr;
}

// The name the tree pane shows for an absolute id list.
HRESULT DisplayName(LPCITEMIDLIST pidl, std::wstring& name) noexcept
{
    UniqueCoTaskMem pszName;
    const HRESULT hr = ::SHGetNameFromIDList(pidl, SIGDN_NORMALDISPLAY,
                                             reinterpret_cast<PWSTR*>(pszName.put()));
    if (FAILED(hr))
        return hr;
    name = static_cast<PCWSTR>(pszName.get());
    return S_OK;
}

// hItem or the first of its next siblings whose text is name; null when none is.
HTREEITEM FindTreeSibling(HWND hwndTree, HTREEITEM hItem, const std::wstring& name) noexcept
{
    for (; hItem; hItem = reinterpret_cast<HTREEITEM>(::SendMessageW(
                      hwndTree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(hItem))))
    {
        wchar_t szText[MAX_PATH] = {};
        TVITEMW item = {};
        item.mask = TVIF_TEXT;
        item.hItem = hItem;
        item.pszText = szText;
        item.cchTextMax = ARRAYSIZE(szText);
        if (::SendMessageW(hwndTree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) &&
            ::lstrcmpiW(szText, name.c_str()) == 0)
            return hItem;
    }
    return nullptr;
}

// A point on the item's name in the list's client coordinates, scrolled into view. In the
// details view the label spans the whole first column, so the point is near its left end,
// where the name is written.
HRESULT ItemPoint(HWND hwndList, int iItem, POINT& pt) noexcept
{
    if (iItem < 0 || iItem >= static_cast<int>(::SendMessageW(hwndList, LVM_GETITEMCOUNT, 0, 0)))
        return E_INVALIDARG;
    ::SendMessageW(hwndList, LVM_ENSUREVISIBLE, iItem, FALSE);
    RECT rcItem = {};
    rcItem.left = LVIR_LABEL;
    if (!::SendMessageW(hwndList, LVM_GETITEMRECT, iItem, reinterpret_cast<LPARAM>(&rcItem)))
        return E_INVALIDARG;
    pt.x = rcItem.left + std::min<LONG>(16, (rcItem.right - rcItem.left) / 2);
    pt.y = (rcItem.top + rcItem.bottom) / 2;
    return S_OK;
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
    rc.top += c_cyAddress; // below the address bar
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

HWND CBrowserHost::CurrentListControl() const noexcept
{
    if (!m_pBrowser)
        return nullptr;
    ComPtr<IShellView> psv;
    if (FAILED(m_pBrowser->GetCurrentView(IID_IShellView, psv.put_void())))
        return nullptr;
    HWND hwndView = nullptr;
    if (FAILED(psv->GetWindow(&hwndView)))
        return nullptr;
    return FindListControl(hwndView);
}

HRESULT CBrowserHost::InvokeFolderCommand(UINT nOffset) noexcept
{
    if (!m_pidlCurrent)
        return E_UNEXPECTED;
    ComPtr<IShellFolder> parent;
    LPCITEMIDLIST pidlChild = nullptr;
    HRESULT hr = ::SHBindToParent(m_pidlCurrent.get(), IID_IShellFolder, parent.put_void(), &pidlChild);
    if (FAILED(hr))
        return hr;
    ComPtr<IContextMenu> menu;
    hr = parent->GetUIObjectOf(m_hwnd, 1, &pidlChild, IID_IContextMenu, nullptr, menu.put_void());
    if (FAILED(hr))
        return hr;
    UniqueHmenu hmenu(::CreatePopupMenu());
    menu->QueryContextMenu(hmenu.get(), 0, 1, 0x7FFF, CMF_NORMAL);
    CMINVOKECOMMANDINFO ici = {};
    ici.cbSize = sizeof(ici);
    ici.hwnd = m_hwnd;
    ici.lpVerb = MAKEINTRESOURCEA(nOffset);
    ici.nShow = SW_SHOWNORMAL;
    return menu->InvokeCommand(&ici);
}

HRESULT CBrowserHost::DoubleClickItem(int iItem) noexcept
{
    const HWND hwndList = CurrentListControl();
    if (!hwndList)
        return E_FAIL;
    POINT pt = {};
    const HRESULT hr = ItemPoint(hwndList, iItem, pt);
    if (FAILED(hr))
        return hr;
    const LPARAM lParamPoint = MAKELPARAM(pt.x, pt.y);

    // The same messages a real double-click produces; the list control turns the second
    // press into NM_DBLCLK for the view.
    ::SetFocus(hwndList);
    ::SendMessageW(hwndList, WM_LBUTTONDOWN, MK_LBUTTON, lParamPoint);
    ::SendMessageW(hwndList, WM_LBUTTONUP, 0, lParamPoint);
    ::SendMessageW(hwndList, WM_LBUTTONDBLCLK, MK_LBUTTON, lParamPoint);
    ::SendMessageW(hwndList, WM_LBUTTONUP, 0, lParamPoint);
    return S_OK;
}

HRESULT CBrowserHost::PostRightClickItem(int iItem) noexcept
{
    const HWND hwndList = CurrentListControl();
    if (!hwndList)
        return E_FAIL;
    POINT pt = {};
    if (iItem >= 0)
    {
        const HRESULT hr = ItemPoint(hwndList, iItem, pt);
        if (FAILED(hr))
            return hr;
    }
    else
    {
        // The list's background: near its lower left corner, below every item.
        RECT rc = {};
        ::GetClientRect(hwndList, &rc);
        pt = {rc.left + 40, rc.bottom - 40};
    }
    const LPARAM lParamPoint = MAKELPARAM(pt.x, pt.y);

    // The list control selects the item on the press, waits for the release in its own loop,
    // then sends itself WM_CONTEXTMENU at the message position, which reaches the view: the
    // cursor must be on the item for that position to be the item's.
    POINT ptScreen = pt;
    ::ClientToScreen(hwndList, &ptScreen);
    ::SetCursorPos(ptScreen.x, ptScreen.y);
    ::SetFocus(hwndList);
    if (!::PostMessageW(hwndList, WM_RBUTTONDOWN, MK_RBUTTON, lParamPoint) ||
        !::PostMessageW(hwndList, WM_RBUTTONUP, 0, lParamPoint))
        return HRESULT_FROM_WIN32(::GetLastError());
    return S_OK;
}

HRESULT CBrowserHost::PostHoverItem(int iItem) noexcept
{
    const HWND hwndList = CurrentListControl();
    if (!hwndList)
        return E_FAIL;
    POINT pt = {};
    const HRESULT hr = ItemPoint(hwndList, iItem, pt);
    if (FAILED(hr))
        return hr;

    POINT ptScreen = pt;
    ::ClientToScreen(hwndList, &ptScreen);
    ::SetCursorPos(ptScreen.x, ptScreen.y);
    if (!::PostMessageW(hwndList, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y)))
        return HRESULT_FROM_WIN32(::GetLastError());
    return S_OK;
}

HRESULT CBrowserHost::DragTreeSplitter(int cx) noexcept
{
    // Wine's explorer browser draws the splitter as a thin window of this class at the right
    // edge of the tree pane; it resizes the pane by the distance the mouse moved while the
    // button was down, in its own client coordinates.
    const HWND hwndSplitter = FindDescendant(m_hwnd, L"eb_navpane");
    if (!hwndSplitter)
        return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    RECT rcSplitter = {};
    RECT rcBrowser = {};
    ::GetWindowRect(hwndSplitter, &rcSplitter);
    ::GetWindowRect(::GetParent(hwndSplitter), &rcBrowser);
    const int dx = cx - (rcSplitter.right - rcBrowser.left);
    const LPARAM lParamMoved = MAKELPARAM(static_cast<SHORT>(dx), 0);
    ::SendMessageW(hwndSplitter, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ::SendMessageW(hwndSplitter, WM_MOUSEMOVE, MK_LBUTTON, lParamMoved);
    ::SendMessageW(hwndSplitter, WM_LBUTTONUP, 0, lParamMoved);
    return S_OK;
}

HRESULT CBrowserHost::ItemInfoTip(int iItem, std::wstring& tip) noexcept
{
    tip.clear();
    if (!m_pBrowser)
        return E_UNEXPECTED;
    ComPtr<IFolderView> pfv;
    HRESULT hr = m_pBrowser->GetCurrentView(IID_IFolderView, pfv.put_void());
    if (FAILED(hr))
        return hr;
    ComPtr<IShellFolder> psf;
    hr = pfv->GetFolder(IID_IShellFolder, psf.put_void());
    if (FAILED(hr))
        return hr;
    UniquePidl pidlItem;
    hr = pfv->Item(iItem, reinterpret_cast<PITEMID_CHILD*>(pidlItem.put()));
    if (FAILED(hr))
        return hr;
    LPCITEMIDLIST apidl[1] = {pidlItem.get()};
    ComPtr<IQueryInfo> pqi;
    hr = psf->GetUIObjectOf(m_hwnd, 1, apidl, IID_IQueryInfo, nullptr, pqi.put_void());
    if (FAILED(hr))
        return hr;
    UniqueCoTaskMem pszTip;
    hr = pqi->GetInfoTip(QITIPF_DEFAULT, reinterpret_cast<PWSTR*>(pszTip.put()));
    if (FAILED(hr))
        return hr;
    if (pszTip)
        tip = static_cast<PCWSTR>(pszTip.get());
    return S_OK;
}

HRESULT CBrowserHost::ExpandTreeToCurrent() noexcept
{
    if (!m_pidlCurrent)
        return E_UNEXPECTED;
    const HWND hwndTree = FindDescendant(m_hwnd, WC_TREEVIEWW);
    if (!hwndTree)
        return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);

    // The tree's roots are the desktop and the favorites; the desktop's node is the one
    // named as the desktop is named.
    UniquePidl pidlPrefix(::ILClone(m_pidlCurrent.get()));
    if (!pidlPrefix)
        return E_OUTOFMEMORY;
    pidlPrefix.get()->mkid.cb = 0;
    std::wstring name;
    HRESULT hr = DisplayName(pidlPrefix.get(), name);
    if (FAILED(hr))
        return hr;
    const auto hRoot =
        reinterpret_cast<HTREEITEM>(::SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    HTREEITEM hItem = FindTreeSibling(hwndTree, hRoot, name);

    // One more id of the location at each level.
    const USHORT cbTotal = static_cast<USHORT>(::ILGetSize(m_pidlCurrent.get()) - sizeof(USHORT));
    USHORT cbPrefix = 0;
    while (hItem)
    {
        // Expanding a node for the first time makes the tree pane enumerate its children.
        ::SendMessageW(hwndTree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(hItem));
        if (cbPrefix >= cbTotal)
            break;
        pidlPrefix.reset(::ILClone(m_pidlCurrent.get()));
        if (!pidlPrefix)
            return E_OUTOFMEMORY;
        USHORT cbId = 0;
        memcpy(&cbId, reinterpret_cast<const BYTE*>(m_pidlCurrent.get()) + cbPrefix, sizeof(cbId));
        cbPrefix = static_cast<USHORT>(cbPrefix + cbId);
        const USHORT cbEnd = 0;
        memcpy(reinterpret_cast<BYTE*>(pidlPrefix.get()) + cbPrefix, &cbEnd, sizeof(cbEnd));
        hr = DisplayName(pidlPrefix.get(), name);
        if (FAILED(hr))
            return hr;
        const auto hFirstChild = reinterpret_cast<HTREEITEM>(::SendMessageW(
            hwndTree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(hItem)));
        hItem = FindTreeSibling(hwndTree, hFirstChild, name);
    }
    if (!hItem)
        return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    // Selected as a click would: with the focus in the tree, so the selection is drawn.
    ::SetFocus(hwndTree);
    if (!::SendMessageW(hwndTree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hItem)))
        return E_FAIL;
    ::SendMessageW(hwndTree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(hItem));
    return S_OK;
}

namespace
{
// "HKEY_CURRENT_USER\Software\X" for a list that reaches a registry key; empty otherwise.
std::wstring RegistryKeyPath(LPCITEMIDLIST pidl)
{
    std::string path;
    bool bInRegistry = false;
    for (LPCITEMIDLIST p = pidl; p; p = NextItemId(p))
    {
        const BYTE* pData = ItemIdData(p, sizeof(REGITEM), true);
        if (!pData || !HasRegItemSignature(pData))
        {
            if (bInRegistry)
                return {};
            continue;
        }
        bInRegistry = true;
        if (!path.empty())
            path += '\\';
        path += ReadRegItem(pData).szName;
    }
    return AnsiToWide(path.c_str());
}
} // namespace

void CBrowserHost::OnNavigated(LPCITEMIDLIST pidl) noexcept
{
    m_pidlCurrent.reset(::ILClone(pidl));
    UniqueCoTaskMem pszName;
    m_strLocation.clear();
    if (SUCCEEDED(::SHGetNameFromIDList(pidl, SIGDN_DESKTOPABSOLUTEPARSING,
                                        reinterpret_cast<PWSTR*>(pszName.put()))))
        m_strLocation = static_cast<PCWSTR>(pszName.get());

    // Below the registry's junction the title and the address bar show the full key path,
    // read from the registry ids themselves: the shell names only the last of them.
    std::wstring title = RegistryKeyPath(pidl);
    if (title.empty() && SUCCEEDED(::SHGetNameFromIDList(pidl, SIGDN_NORMALDISPLAY,
                                                         reinterpret_cast<PWSTR*>(pszName.put()))))
        title = static_cast<PCWSTR>(pszName.get());
    if (m_hwndAddress)
        ::SetWindowTextW(m_hwndAddress, title.c_str());
    if (title.empty())
        title = L"Registry";
    title += c_szTitleSuffix;
    ::SetWindowTextW(m_hwnd, title.c_str());
}

HRESULT CBrowserHost::NavigateToAddress(const std::wstring& text) noexcept
{
    if (m_hwndAddress)
        ::SetWindowTextW(m_hwndAddress, text.c_str());
    ComPtr<IShellFolder> pDesktop;
    HRESULT hr = ::SHGetDesktopFolder(pDesktop.put());
    if (FAILED(hr))
        return hr;
    // The registry first; a text that names no key may still be a place of the shell.
    for (std::wstring candidate : {RegistryParseText(text), text})
    {
        UniquePidl pidl;
        hr = pDesktop->ParseDisplayName(m_hwnd, nullptr, candidate.data(), nullptr, pidl.put(), nullptr);
        if (SUCCEEDED(hr) && pidl)
            return BrowseTo(pidl.get());
    }
    return hr;
}

LRESULT CALLBACK CBrowserHost::AddressProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    auto* pThis = reinterpret_cast<CBrowserHost*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!pThis)
        return 0;
    if (uMsg == WM_GETDLGCODE)
        return DLGC_WANTALLKEYS | ::CallWindowProcW(pThis->m_pfnAddressProc, hwnd, uMsg, wParam, lParam);
    if (uMsg == WM_KEYDOWN && wParam == VK_RETURN)
    {
        const int cch = ::GetWindowTextLengthW(hwnd);
        std::wstring text(static_cast<size_t>(cch) + 1, L'\0');
        text.resize(static_cast<size_t>(::GetWindowTextW(hwnd, text.data(), cch + 1)));
        if (FAILED(pThis->NavigateToAddress(text)))
            ::MessageBeep(MB_ICONASTERISK);
        return 0;
    }
    if (uMsg == WM_CHAR && (wParam == L'\r' || wParam == L'\n'))
        return 0; // no beep for the Enter handled above
    return ::CallWindowProcW(pThis->m_pfnAddressProc, hwnd, uMsg, wParam, lParam);
}

void CBrowserHost::LayOut(int cx, int cy) noexcept
{
    if (m_hwndAddress)
        ::MoveWindow(m_hwndAddress, 0, 0, cx, c_cyAddress, TRUE);
    if (m_pBrowser)
    {
        RECT rc = {0, c_cyAddress, cx, cy};
        m_pBrowser->SetRect(nullptr, rc);
    }
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
    {
        m_hwndAddress = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0,
                                          0, c_cyAddress, m_hwnd, nullptr, nullptr, nullptr);
        if (m_hwndAddress)
        {
            ::SendMessageW(m_hwndAddress, WM_SETFONT,
                           reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
            ::SetWindowLongPtrW(m_hwndAddress, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            m_pfnAddressProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
                m_hwndAddress, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CBrowserHost::AddressProc)));
        }
        return SUCCEEDED(CreateBrowser()) ? 0 : -1;
    }

    case WM_SIZE:
        LayOut(LOWORD(lParam), HIWORD(lParam));
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
