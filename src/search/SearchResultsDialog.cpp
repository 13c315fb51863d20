// The search results window: its controls and their layout, the results with their icons and
// Location texts, the status line, and closing.
#include "search/SearchResultsDialog.h"

#include "core/ComPtr.h"
#include "core/Module.h"
#include "framework/ItemIdList.h"
#include "registry/RegFolder.h"
#include "registry/RegItem.h"

#include "resource.h"

#include <cstring>

namespace corvasin
{

namespace
{
// The image list order that CreateImageLists follows.
constexpr UINT c_resultIcons[] = {IDI_KEY, IDI_VALUE_TEXT, IDI_VALUE_BINARY};
constexpr int kImageKey = 0;
constexpr int kImageTextValue = 1;
constexpr int kImageOtherValue = 2;
constexpr int kColumnWidth = 100;

int ResultImage(const REGITEM& item) noexcept
{
    if (item.dwKind == REGITEM_KEY)
        return kImageKey;
    switch (item.dwValueType)
    {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
        return kImageTextValue;
    default:
        return kImageOtherValue;
    }
}

// Byte equality of two id lists. The shell's ILIsEqual compares ids by the texts it knows
// for its own kinds, which ids of other namespaces do not carry.
bool SameIdList(LPCITEMIDLIST pidl1, LPCITEMIDLIST pidl2) noexcept
{
    const UINT cb1 = ::ILGetSize(pidl1);
    return cb1 == ::ILGetSize(pidl2) && memcmp(pidl1, pidl2, cb1) == 0;
}

HICON LoadIconOfSize(UINT nID, int nMetricX, int nMetricY) noexcept
{
    return static_cast<HICON>(::LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(nID), IMAGE_ICON,
                                           ::GetSystemMetrics(nMetricX),
                                           ::GetSystemMetrics(nMetricY), 0));
}
} // namespace

CSearchResultsDialog::CSearchResultsDialog() noexcept : CDialog(IDD_RESULTS) {}

BOOL CSearchResultsDialog::OnInitDialog() noexcept
{
    m_list.SubclassDlgItem(IDC_RESULTS_LIST, m_hWnd);
    m_status.SubclassDlgItem(IDC_RESULTS_STATUS, m_hWnd);
    CDialog::OnInitDialog();

    m_hIconLarge.reset(LoadIconOfSize(IDI_SEARCH, SM_CXICON, SM_CYICON));
    m_hIconSmall.reset(LoadIconOfSize(IDI_SEARCH, SM_CXSMICON, SM_CYSMICON));
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIconLarge.get()));
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIconSmall.get()));

    if (CPidlListCtrl::IsSingleClickMode())
    {
        constexpr DWORD kOneClick = LVS_EX_ONECLICKACTIVATE | LVS_EX_TRACKSELECT | LVS_EX_UNDERLINECOLD;
        m_list.SetExtendedStyle(kOneClick, kOneClick);
    }
    m_list.InsertColumn(0, "Name", kColumnWidth);
    m_list.InsertColumn(1, "Location", kColumnWidth);
    m_list.CreateImageLists(c_resultIcons, ARRAYSIZE(c_resultIcons));
    Layout();
    // The focus is left to the dialog manager.
    return TRUE;
}

bool CSearchResultsDialog::DoDataExchange(bool bSave) noexcept
{
    return DdxText(IDC_RESULTS_STATUS, m_strStatus, bSave);
}

void CSearchResultsDialog::SetStatusText(const CString& strText) noexcept
{
    try
    {
        m_strStatus = strText;
    }
    catch (...)
    {
        return;
    }
    UpdateData(false);
}

void CSearchResultsDialog::AddResult(LPITEMIDLIST pidl, const CString* pLocation) noexcept
{
    UniquePidl pidlOwned(pidl);
    if (!pidlOwned || !m_list.GetSafeHwnd())
        return;
    const BYTE* pData = ItemIdData(LastItemId(pidl), sizeof(REGITEM), true);
    if (!pData || !HasRegItemSignature(pData))
        return;
    const REGITEM item = ReadRegItem(pData);
    // The newest result goes on top once the window shows what came (ShowNewResults).
    m_list.AddItem(pidlOwned.release(), item.szName, ResultImage(item), pLocation ? *pLocation : LocationOf(pidl));
}

void CSearchResultsDialog::ShowNewResults() noexcept
{
    m_list.ShowAddedItems();
}

CString CSearchResultsDialog::LocationOf(LPCITEMIDLIST pidl) noexcept
{
    try
    {
        UniquePidl pidlParent(::ILClone(pidl));
        if (!pidlParent || !::ILRemoveLastID(pidlParent.get()))
            return {};
        if (m_pidlLastParent && SameIdList(m_pidlLastParent.get(), pidlParent.get()))
            return m_strLastLocation;

        CString location;
        ComPtr<IShellFolder> pDesktop;
        ComPtr<IShellFolder> pParent;
        ComPtr<IRegFolder> pRegFolder;
        UniqueBstr bstrPath;
        if (SUCCEEDED(::SHGetDesktopFolder(pDesktop.put())) &&
            SUCCEEDED(pDesktop->BindToObject(pidlParent.get(), nullptr, IID_IShellFolder,
                                             pParent.put_void())) &&
            SUCCEEDED(pParent.As(pRegFolder)) && SUCCEEDED(pRegFolder->GetPath(bstrPath.put())) &&
            bstrPath)
            location = WideToAnsi(bstrPath.get(), static_cast<int>(::SysStringLen(bstrPath.get())));

        m_strLastLocation = location;
        m_pidlLastParent = std::move(pidlParent);
        return location;
    }
    catch (...)
    {
        return {};
    }
}

void CSearchResultsDialog::Layout() noexcept
{
    if (!m_list.GetSafeHwnd() || !m_status.GetSafeHwnd())
        return;
    RECT rc = {};
    ::GetClientRect(m_hWnd, &rc);
    const int cx = rc.right - rc.left;
    const int cy = rc.bottom - rc.top;
    const int cyList = cy > kStatusHeight ? cy - kStatusHeight : 0;
    ::MoveWindow(m_list.GetSafeHwnd(), 0, 0, cx, cyList, TRUE);
    ::MoveWindow(m_status.GetSafeHwnd(), 0, cyList, cx, cy - cyList, TRUE);
}

void CSearchResultsDialog::OnOK() noexcept {}

void CSearchResultsDialog::OnCancel() noexcept
{
    ::SendMessageA(m_hWnd, WM_CLOSE, 0, 0);
}

BOOL CSearchResultsDialog::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) noexcept
{
    const auto* pnmh = reinterpret_cast<const NMHDR*>(lParam);
    if (!pnmh || wParam != IDC_RESULTS_LIST)
        return FALSE;
    return m_list.OnReflectedNotify(pnmh, pResult);
}

INT_PTR CSearchResultsDialog::DialogProc(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (uMsg)
    {
    case WM_SIZE:
        Layout();
        return TRUE;
    case WM_CLOSE:
        ::DestroyWindow(m_hWnd);
        return TRUE;
    case WM_DESTROY:
        // However the window goes, the search stops and the thread's loop ends.
        if (!m_bClosed)
        {
            m_bClosed = 1;
            ::PostQuitMessage(0);
        }
        return FALSE;
    default:
        return CDialog::DialogProc(uMsg, wParam, lParam);
    }
}

} // namespace corvasin
