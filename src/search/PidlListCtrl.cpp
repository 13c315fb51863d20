// The id list control: image lists, the click setting, opening items in the shell, and the items'
// shell context menus with their owner-drawn entries.
#include "search/PidlListCtrl.h"

#include "core/Module.h"
#include "framework/ItemIdList.h"
#include "framework/ShellOpen.h"
#include "registry/RegItem.h"
#include "search/ShellWindowThread.h"

#include "resource.h"

#include <windowsx.h>

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
    const auto pidl = reinterpret_cast<LPCITEMIDLIST>(GetItemData(iItem));
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
    const auto pidl = reinterpret_cast<LPCITEMIDLIST>(GetItemData(iItem));
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
    const int cItems = GetItemCount();
    for (int i = 0; i < cItems; ++i)
    {
        if (auto pidl = reinterpret_cast<LPITEMIDLIST>(GetItemData(i)))
        {
            SetItemData(i, 0);
            ::ILFree(pidl);
        }
    }
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
