// The id list control: its rows and what the control asks of them, image lists, the click
// setting, opening items in the shell, and the items' shell context menus with their owner-drawn
// entries.
#include "search/PidlListCtrl.h"

#include "core/Module.h"
#include "core/Result.h"
#include "framework/ItemIdList.h"
#include "framework/ShellOpen.h"
#include "registry/RegItem.h"
#include "search/ShellWindowThread.h"

#include "resource.h"

#include <windowsx.h>

#include <cstring>

namespace corvasin
{

namespace
{
constexpr int kImageGrowBy = 3;

bool IsKeyItem(LPCITEMIDLIST pidl) noexcept
{
    const BYTE* pData = ItemIdData(LastItemId(pidl), sizeof(REGITEM), true);
    return pData && HasRegItemSignature(pData) && ReadRegItem(pData).dwKind == REGITEM_KEY;
}

// A copy of the list without its last id (the item's parent); null when out of memory.
UniquePidl ParentOf(LPCITEMIDLIST pidl) noexcept
{
    UniquePidl pidlParent(::ILClone(pidl));
    if (pidlParent)
        ::ILRemoveLastID(pidlParent.get());
    return pidlParent;
}

// Opens a place in a shell window. Where the shell has no window for it (Wine's shell execute
// finds no association for a namespace location), the component opens one of its own instead
// of the shell's error box.
void OpenLocation(HWND hwnd, LPCITEMIDLIST pidl) noexcept
{
    if (!OpenInShell(hwnd, pidl, "open", SW_SHOW, true, true))
        CShellWindowThread::Open(pidl);
}

UniqueImageList MakeImageList(int cxy, const UINT* pnIconIds, UINT cIcons) noexcept
{
    UniqueImageList imageList(::ImageList_Create(cxy, cxy, ILC_COLOR8 | ILC_MASK, 0, kImageGrowBy));
    if (!imageList)
        return imageList;
    for (UINT i = 0; i < cIcons; ++i)
    {
        HICON hIcon = static_cast<HICON>(::LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(pnIconIds[i]),
                                                      IMAGE_ICON, cxy, cxy, 0));
        // A missing icon would shift every later index: the list is useless then.
        const int iAdded = hIcon ? ::ImageList_AddIcon(imageList.get(), hIcon) : -1;
        if (hIcon)
            ::DestroyIcon(hIcon);
        if (iAdded < 0)
            return UniqueImageList();
    }
    return imageList;
}
} // namespace

bool CPidlListCtrl::AddItem(LPITEMIDLIST pidl, const char* pszName, int iImage, CString location) noexcept
{
    UniquePidl pidlOwned(pidl);
    if (!pidlOwned || !m_hWnd || m_rows.size() >= static_cast<size_t>(INT_MAX - 1))
        return false;
    try
    {
        m_rows.push_back({std::move(pidlOwned), pszName ? pszName : "", std::move(location), {}, iImage});
        return true;
    }
    CATCH_RETURN(false)
}

bool CPidlListCtrl::AddRow(UniquePidl pidl, const char* pszName, int iImage, CString location,
                           std::vector<CString> texts) noexcept
{
    if (!m_hWnd || m_rows.size() >= static_cast<size_t>(INT_MAX - 1))
        return false;
    try
    {
        m_rows.push_back({std::move(pidl), pszName ? pszName : "", std::move(location), std::move(texts), iImage});
        return true;
    }
    CATCH_RETURN(false)
}

void CPidlListCtrl::ShowAddedItems() noexcept
{
    const int cRows = static_cast<int>(m_rows.size());
    if (!m_hWnd || cRows == m_cShown)
        return;
    // The control keeps its selection and focus by position: the rows that have them move down
    // by the number of new rows on top, as items below an insertion at the top do.
    const int iOldSelected = ItemOf(m_iSelectedRow);
    const int iOldFocused = ItemOf(m_iFocusedRow);
    m_cShown = cRows;
    m_bMovingState = true;
    SetItemCount(cRows, LVSICF_NOSCROLL);
    if (m_iSelectedRow >= 0)
    {
        SetItemState(iOldSelected, 0, LVIS_SELECTED);
        SetItemState(ItemOf(m_iSelectedRow), LVIS_SELECTED, LVIS_SELECTED);
    }
    if (m_iFocusedRow >= 0)
    {
        SetItemState(iOldFocused, 0, LVIS_FOCUSED);
        SetItemState(ItemOf(m_iFocusedRow), LVIS_FOCUSED, LVIS_FOCUSED);
    }
    m_bMovingState = false;
}

int CPidlListCtrl::RowOf(int iItem) const noexcept
{
    if (iItem < 0 || iItem >= m_cShown)
        return -1;
    return m_bOldestFirst ? iItem : m_cShown - 1 - iItem;
}

LPCITEMIDLIST CPidlListCtrl::GetItemPidl(int iItem) const noexcept
{
    const int iRow = RowOf(iItem);
    return iRow >= 0 ? m_rows[static_cast<size_t>(iRow)].pidl.get() : nullptr;
}

void CPidlListCtrl::OnGetDispInfo(NMLVDISPINFOA* pInfo, bool bWide) noexcept
{
    LVITEMA& item = pInfo->item;
    const int iRow = RowOf(item.iItem);
    if (iRow < 0)
        return;
    const Row& row = m_rows[static_cast<size_t>(iRow)];
    if (item.mask & LVIF_IMAGE)
        item.iImage = item.iSubItem == 0 ? row.iImage : -1;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
    {
        static const CString c_empty;
        const size_t iText = static_cast<size_t>(item.iSubItem) - 2;
        const CString& text = item.iSubItem == 0   ? row.strName
                              : item.iSubItem == 1 ? row.strLocation
                              : item.iSubItem >= 2 && iText < row.texts.size() ? row.texts[iText]
                                                                               : c_empty;
        if (bWide)
        {
            auto* pszWide = reinterpret_cast<wchar_t*>(item.pszText);
            const int cch = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, pszWide, item.cchTextMax);
            if (cch <= 0)
                pszWide[item.cchTextMax - 1] = L'\0';
        }
        else
        {
            ::lstrcpynA(item.pszText, text.c_str(), item.cchTextMax);
        }
    }
}

int CPidlListCtrl::FindItem(int iStart, const LVFINDINFOA& find, const char* pszText) const noexcept
{
    // Typing the start of a name selects the next item with that name, as in an ordinary list.
    if (!(find.flags & (LVFI_STRING | LVFI_PARTIAL)) || !pszText || m_cShown == 0)
        return -1;
    const bool bPartial = (find.flags & LVFI_PARTIAL) != 0;
    const int cchText = static_cast<int>(strlen(pszText));
    const int iFirst = iStart < 0 || iStart >= m_cShown ? 0 : iStart;
    const int cTried = (find.flags & LVFI_WRAP) ? m_cShown : m_cShown - iFirst;
    for (int n = 0; n < cTried; ++n)
    {
        const int iItem = (iFirst + n) % m_cShown;
        const CString& name = m_rows[static_cast<size_t>(RowOf(iItem))].strName;
        const bool bMatch = bPartial ? ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name.c_str(),
                                                        static_cast<int>(name.size()) < cchText ? -1 : cchText,
                                                        pszText, cchText) == CSTR_EQUAL
                                     : ::lstrcmpiA(name.c_str(), pszText) == 0;
        if (bMatch)
            return iItem;
    }
    return -1;
}

void CPidlListCtrl::OnItemChanged(const NMLISTVIEW* pChange) noexcept
{
    if (m_bMovingState || !(pChange->uChanged & LVIF_STATE))
        return;
    if (pChange->iItem < 0)
    {
        // A change of every item at once: only a clearing can come this way in a list of one
        // selection, so the control is asked about the rows followed.
        if (m_iSelectedRow >= 0 && !(GetItemState(ItemOf(m_iSelectedRow), LVIS_SELECTED) & LVIS_SELECTED))
            m_iSelectedRow = -1;
        if (m_iFocusedRow >= 0 && !(GetItemState(ItemOf(m_iFocusedRow), LVIS_FOCUSED) & LVIS_FOCUSED))
            m_iFocusedRow = -1;
        return;
    }
    const int iRow = RowOf(pChange->iItem);
    const auto follow = [&](UINT uFlag, int& iFollowed) {
        const bool bWas = (pChange->uOldState & uFlag) != 0;
        const bool bIs = (pChange->uNewState & uFlag) != 0;
        if (bIs && !bWas)
            iFollowed = iRow;
        else if (bWas && !bIs && iFollowed == iRow)
            iFollowed = -1;
    };
    follow(LVIS_SELECTED, m_iSelectedRow);
    follow(LVIS_FOCUSED, m_iFocusedRow);
}

BOOL CPidlListCtrl::CreateImageLists(const UINT* pnIconIds, UINT cIcons) noexcept
{
    if (!m_hWnd)
        return FALSE;
    m_imageListSmall = MakeImageList(16, pnIconIds, cIcons);
    m_imageListLarge = MakeImageList(32, pnIconIds, cIcons);
    if (!m_imageListSmall || !m_imageListLarge)
        return FALSE;
    // The lists stay ours: without this style the control would destroy them as well.
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE,
                        ::GetWindowLongPtrA(m_hWnd, GWL_STYLE) | LVS_SHAREIMAGELISTS);
    SetImageList(m_imageListSmall.get(), LVSIL_SMALL);
    SetImageList(m_imageListLarge.get(), LVSIL_NORMAL);
    return TRUE;
}

bool CPidlListCtrl::IsSingleClickMode(const SHELLFLAGSTATE& state) noexcept
{
    return state.fDesktopHTML && !state.fDoubleClickInWebView;
}

bool CPidlListCtrl::IsSingleClickMode() noexcept
{
    // Looked up by name: older shells lack the function.
    const UniqueHmodule shell32(::LoadLibraryA("shell32.dll"));
    if (!shell32)
        return false;
    using PfnGetSettings = void(WINAPI*)(LPSHELLFLAGSTATE, DWORD);
    const auto pfn = reinterpret_cast<PfnGetSettings>(::GetProcAddress(shell32.get(), "SHGetSettings"));
    if (!pfn)
        return false;
    SHELLFLAGSTATE state = {};
    pfn(&state, SSF_DESKTOPHTML | SSF_DOUBLECLICKINWEBVIEW);
    return IsSingleClickMode(state);
}

BOOL CPidlListCtrl::OnReflectedNotify(const NMHDR* pnmh, LRESULT* pResult) noexcept
{
    switch (pnmh->code)
    {
    case LVN_GETDISPINFOA:
    case LVN_GETDISPINFOW:
        OnGetDispInfo(reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(pnmh)), pnmh->code == LVN_GETDISPINFOW);
        *pResult = 0;
        return TRUE;
    case LVN_ODFINDITEMA:
    {
        const auto* pFind = reinterpret_cast<const NMLVFINDITEMA*>(pnmh);
        *pResult = FindItem(pFind->iStart, pFind->lvfi, pFind->lvfi.psz);
        return TRUE;
    }
    case LVN_ODFINDITEMW:
    {
        const auto* pFind = reinterpret_cast<const NMLVFINDITEMW*>(pnmh);
        LVFINDINFOA find = {};
        find.flags = pFind->lvfi.flags;
        CString text;
        try
        {
            text = pFind->lvfi.psz ? WideToAnsi(pFind->lvfi.psz, -1) : CString();
        }
        catch (...)
        {
            *pResult = -1;
            return TRUE;
        }
        *pResult = FindItem(pFind->iStart, find, pFind->lvfi.psz ? text.c_str() : nullptr);
        return TRUE;
    }
    case LVN_ITEMCHANGED:
        OnItemChanged(reinterpret_cast<const NMLISTVIEW*>(pnmh));
        return FALSE;
    default:
        break;
    }
    // One gesture opens, the other does nothing.
    const bool bSingleClick = pnmh->code == NM_CLICK;
    if (!bSingleClick && pnmh->code != NM_DBLCLK)
        return FALSE;
    if (bSingleClick == IsSingleClickMode())
        OpenSelectedItem();
    *pResult = 0;
    return TRUE;
}

void CPidlListCtrl::OpenSelectedItem() noexcept
{
    const int iItem = GetNextItem(-1, LVNI_SELECTED);
    if (iItem < 0)
        return;
    const LPCITEMIDLIST pidl = GetItemPidl(iItem);
    if (!pidl)
        return;
    // A key opens in its own place; a value in the key that holds it.
    if (IsKeyItem(pidl))
    {
        OpenLocation(m_hWnd, pidl);
        return;
    }
    const UniquePidl pidlParent = ParentOf(pidl);
    if (pidlParent)
        OpenLocation(m_hWnd, pidlParent.get());
}

void CPidlListCtrl::ShowContextMenu(LPARAM lParamPoint) noexcept
{
    POINT pt = {GET_X_LPARAM(lParamPoint), GET_Y_LPARAM(lParamPoint)};
    // A menu asked for from the keyboard names no point, hence no item.
    if (pt.x == -1 && pt.y == -1)
        return;
    ::ScreenToClient(m_hWnd, &pt);
    const int iItem = HitTest(pt);
    if (iItem < 0)
        return;
    const LPCITEMIDLIST pidl = GetItemPidl(iItem);
    if (!pidl)
        return;
    const UniquePidl pidlParent = ParentOf(pidl);
    if (!pidlParent)
        return;

    ComPtr<IShellFolder> pDesktop;
    if (FAILED(::SHGetDesktopFolder(pDesktop.put())))
        return;
    ComPtr<IShellFolder> pParent;
    if (ILIsEmpty(pidlParent.get()))
        pParent = pDesktop;
    else if (FAILED(pDesktop->BindToObject(pidlParent.get(), nullptr, IID_IShellFolder,
                                           pParent.put_void())))
        return;
    LPCITEMIDLIST pidlItem = ::ILFindLastID(pidl);
    ComPtr<IContextMenu> pMenu;
    if (FAILED(pParent->GetUIObjectOf(m_hWnd, 1, &pidlItem, IID_IContextMenu, nullptr,
                                      pMenu.put_void())) ||
        !pMenu)
        return;

    const UniqueHmenu hMenu(::LoadMenuA(ModuleInstance(), MAKEINTRESOURCEA(IDM_RESULTS)));
    const HMENU hPopup = hMenu ? ::GetSubMenu(hMenu.get(), 0) : nullptr;
    if (!hPopup)
        return;
    UINT uFlags = CMF_NORMAL;
    if (!IsKeyItem(pidl))
    {
        // A value cannot be opened itself: "Open folder" is its default.
        ::SetMenuDefaultItem(hPopup, ID_RESULTS_OPEN_FOLDER, FALSE);
        uFlags |= CMF_NODEFAULT;
    }
    if (FAILED(pMenu->QueryContextMenu(hPopup, 1, 1, 0xFFFF, uFlags)))
        return;

    m_pActiveMenu = pMenu;
    POINT ptCursor = {};
    ::GetCursorPos(&ptCursor);
    const UINT idCmd = static_cast<UINT>(::TrackPopupMenu(hPopup, TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                          ptCursor.x, ptCursor.y, 0, m_hWnd, nullptr));
    m_pActiveMenu.reset();

    if (idCmd == ID_RESULTS_OPEN_FOLDER)
    {
        OpenLocation(m_hWnd, pidlParent.get());
    }
    else if (idCmd != 0)
    {
        CMINVOKECOMMANDINFO ici = {};
        ici.cbSize = sizeof(ici);
        ici.hwnd = m_hWnd;
        ici.lpVerb = MAKEINTRESOURCEA(idCmd - 1);
        ici.nShow = SW_SHOWNORMAL;
        pMenu->InvokeCommand(&ici);
    }
}

void CPidlListCtrl::FreeItemIdLists() noexcept
{
    m_rows.clear();
    m_cShown = 0;
    m_iSelectedRow = m_iFocusedRow = -1;
}

LRESULT CPidlListCtrl::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (uMsg)
    {
    case WM_CONTEXTMENU:
        ShowContextMenu(lParam);
        return 0;
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        // Owner-drawn entries of the shell menu (control id 0 means a menu item).
        if (m_pActiveMenu && wParam == 0)
        {
            ComPtr<IContextMenu2> pMenu2;
            if (SUCCEEDED(m_pActiveMenu.As(pMenu2)))
            {
                pMenu2->HandleMenuMsg(uMsg, wParam, lParam);
                return TRUE;
            }
        }
        return Default(uMsg, wParam, lParam);
    case WM_INITMENUPOPUP:
    {
        const LRESULT lResult = Default(uMsg, wParam, lParam);
        ComPtr<IContextMenu2> pMenu2;
        if (m_pActiveMenu && SUCCEEDED(m_pActiveMenu.As(pMenu2)))
            pMenu2->HandleMenuMsg(uMsg, wParam, lParam);
        return lResult;
    }
    case WM_DESTROY:
        FreeItemIdLists();
        return Default(uMsg, wParam, lParam);
    default:
        return Default(uMsg, wParam, lParam);
    }
}

} // namespace corvasin
