// What the folder gives the shell's default view and the shell's drag and drop: column details,
// the drop target, the view callback with its messages, in-place renaming of a new item, and
// the folder's own menu.
#include "framework/NameSpaceExtension.h"

#include "framework/ItemIdList.h"
#include "framework/core/ComPtr.h"

#include <shellapi.h>
#include <cstring>

namespace corvasin
{

namespace
{
bool IsWindowsNt() noexcept
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    return ::GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// The text of an item's column, or the column's title when no item is given.
HRESULT DetailText(CNameSpaceExtension* pFolder, LPCITEMIDLIST pidl, int iColumn,
                   CString& text) noexcept
{
    if (pidl)
    {
        const BYTE* pData = pFolder->OwnItemData(LastItemId(pidl), false);
        if (!pData)
            return E_INVALIDARG;
        text = pFolder->GetColumnText(pData, iColumn);
    }
    else
    {
        text = pFolder->GetColumnTitle(iColumn);
    }
    return S_OK;
}

BOOL InsertTextItem(HMENU hmenu, UINT pos, UINT id, LPCSTR pszText, UINT fState) noexcept
{
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
    mii.fType = MFT_STRING;
    mii.fState = fState;
    mii.wID = id;
    mii.dwTypeData = const_cast<LPSTR>(pszText);
    return ::InsertMenuItemA(hmenu, pos, TRUE, &mii);
}

BOOL InsertSeparator(HMENU hmenu, UINT pos) noexcept
{
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_ID | MIIM_TYPE;
    mii.fType = MFT_SEPARATOR;
    return ::InsertMenuItemA(hmenu, pos, TRUE, &mii);
}

// Width of a column title in average characters. Wine's view takes the header width from the
// details it is given and shows a column of width 0 otherwise, so titles always carry one.
int ColumnWidthInChars(int iColumn) noexcept
{
    switch (iColumn)
    {
    case 0:
        return 30;
    case 1:
        return 40;
    default:
        return 20;
    }
}

constexpr UINT kOffsetExplore = 1;
constexpr UINT kOffsetOpen = 2;
constexpr UINT kOffsetProperties = 3;
constexpr UINT kOffsetFind = 6;
} // namespace

// ---- IShellDetails -------------------------------------------------------------------------

STDMETHODIMP CNameSpaceExtension::XShellDetails::GetDetailsOf(LPCITEMIDLIST pidl, UINT iColumn,
                                                              SHELLDETAILS* pDetails)
{
    if (!pDetails)
        return E_POINTER;
    CString text;
    RETURN_IF_FAILED(DetailText(m_pThis, pidl, static_cast<int>(iColumn), text));
    // An empty title ends the columns.
    if (text.empty())
        return E_FAIL;
    SetStrRetText(&pDetails->str, text);
    if (!pidl)
    {
        pDetails->fmt = LVCFMT_LEFT;
        pDetails->cxChar = ColumnWidthInChars(static_cast<int>(iColumn));
    }
    return S_OK;
}

STDMETHODIMP CNameSpaceExtension::XShellDetails::ColumnClick(UINT iColumn)
{
    ::SHShellFolderView_Message(m_pThis->m_hwndOwner, SFVM_REARRANGE, iColumn);
    return S_OK;
}

// ---- IDropTarget ---------------------------------------------------------------------------

STDMETHODIMP CNameSpaceExtension::XDropTarget::DragEnter(IDataObject* pDataObj, DWORD grfKeyState,
                                                         POINTL pt, DWORD* pdwEffect)
{
    if (!pdwEffect)
        return E_POINTER;
    if (pDataObj)
        pDataObj->AddRef();
    if (m_pThis->m_pDragDataObject)
        m_pThis->m_pDragDataObject->Release();
    m_pThis->m_pDragDataObject = pDataObj;
    *pdwEffect = m_pThis->QueryDrop(pDataObj, grfKeyState, pt, TRUE);
    return S_OK;
}

STDMETHODIMP CNameSpaceExtension::XDropTarget::DragOver(DWORD grfKeyState, POINTL pt,
                                                        DWORD* pdwEffect)
{
    if (!pdwEffect)
        return E_POINTER;
    *pdwEffect = m_pThis->QueryDrop(m_pThis->m_pDragDataObject, grfKeyState, pt, FALSE);
    return S_OK;
}

STDMETHODIMP CNameSpaceExtension::XDropTarget::DragLeave()
{
    if (m_pThis->m_pDragDataObject)
        m_pThis->m_pDragDataObject->Release();
    m_pThis->m_pDragDataObject = nullptr;
    return S_OK;
}

STDMETHODIMP CNameSpaceExtension::XDropTarget::Drop(IDataObject* pDataObj, DWORD grfKeyState,
                                                    POINTL pt, DWORD* pdwEffect)
{
    DWORD dwEffect = pdwEffect ? *pdwEffect : 0;
    const BOOL ok = m_pThis->Drop(pDataObj, grfKeyState, pt, &dwEffect);
    if (pdwEffect)
        *pdwEffect = dwEffect;
    if (m_pThis->m_pDragDataObject)
        m_pThis->m_pDragDataObject->Release();
    m_pThis->m_pDragDataObject = nullptr;
    return HrFromBool(ok);
}

// ---- the view callback ---------------------------------------------------------------------

HRESULT CALLBACK CNameSpaceExtension::ViewCallback(IShellView* psvOuter, IShellFolder*,
                                                   HWND hwndMain, UINT uMsg, WPARAM wParam,
                                                   LPARAM lParam) noexcept
{
    auto* pFolder = reinterpret_cast<CNameSpaceExtension*>(psvOuter);
    if (!pFolder)
        return E_NOTIMPL;
    return pFolder->OnViewMessage(hwndMain, uMsg, wParam, lParam) > 0 ? S_OK : E_NOTIMPL;
}

int CNameSpaceExtension::OnViewMessage(HWND hwndMain, UINT uMsg, WPARAM wParam,
                                       LPARAM lParam) noexcept
{
    switch (uMsg)
    {
    case SFVM_INVOKECOMMAND:
        return InvokeViewCommand(hwndMain, static_cast<UINT>(wParam));

    case SFVM_GETTOOLTIPTEXT:
    {
        const void* pText = GetToolTipText(LOWORD(wParam));
        const UINT cchMax = HIWORD(wParam);
        if (!pText || !lParam || cchMax == 0)
            return 0;
        if (IsWindowsNt())
        {
            // cchMax counts bytes of the target buffer here, as the view passes it.
            const auto* pszWide = static_cast<LPCWSTR>(pText);
            const size_t cch = wcslen(pszWide);
            if (2 * cch < cchMax)
            {
                memcpy(reinterpret_cast<void*>(lParam), pszWide, (cch + 1) * sizeof(WCHAR));
            }
            else if (cchMax >= 2)
            {
                memcpy(reinterpret_cast<void*>(lParam), pszWide, cchMax - 2);
                reinterpret_cast<LPWSTR>(lParam)[cchMax / 2 - 1] = L'\0';
            }
        }
        else
        {
            const auto* pszAnsi = static_cast<LPCSTR>(pText);
            const size_t cch = strlen(pszAnsi);
            auto* pTarget = reinterpret_cast<char*>(lParam);
            if (cch < cchMax)
            {
                memcpy(pTarget, pszAnsi, cch + 1);
            }
            else
            {
                memcpy(pTarget, pszAnsi, cchMax - 1);
                pTarget[cchMax - 1] = '\0';
            }
        }
        return 1;
    }

    case SFVM_GETBUTTONINFO:
        return GetButtonInfo(reinterpret_cast<TBINFO*>(lParam));

    case SFVM_GETBUTTONS:
        return GetButtons(hwndMain, LOWORD(wParam), reinterpret_cast<TBBUTTON*>(lParam));

    case 8: // selection changed
        return OnSelectionChanged(hwndMain, lParam);

    case 12: // the view is being released: stop handing requests on to it
        m_pShellView = nullptr;
        m_pViewProxy = nullptr;
        return 1;

    case SFVM_WINDOWCREATED:
        m_hwndView = reinterpret_cast<HWND>(wParam);
        return 1;

    case SFVM_GETDETAILSOF:
    {
        auto* pInfo = reinterpret_cast<DETAILSINFO*>(lParam);
        if (!pInfo)
            return 0;
        CString text;
        if (FAILED(DetailText(this, pInfo->pidl, static_cast<int>(wParam), text)) || text.empty())
            return 0;
        SetStrRetText(&pInfo->str, text);
        if (!pInfo->pidl)
        {
            pInfo->fmt = LVCFMT_LEFT;
            pInfo->cxChar = ColumnWidthInChars(static_cast<int>(wParam));
        }
        return 1;
    }

    case 29: // an item is being added to the view; the block belongs to the view
    {
        if (!lParam)
            return 0;
        LPCITEMIDLIST pidl = nullptr;
        memcpy(&pidl, reinterpret_cast<const BYTE*>(lParam) + 8, sizeof(pidl));
        return OnAddingItem(pidl);
    }

    case SFVM_UPDATESTATUSBAR:
        if (m_bRenamePending)
        {
            ::SHShellFolderView_Message(m_hwndOwner, SFVM_REARRANGE, 0);
            auto* pBrowser = reinterpret_cast<IShellBrowser*>(
                ::SendMessageA(m_hwndOwner, WM_USER + 7, 0, 0));
            IShellView* pView = nullptr;
            if (pBrowser && m_pidlRename && SUCCEEDED(pBrowser->QueryActiveShellView(&pView)) &&
                pView)
            {
                pView->SelectItem(m_pidlRename.get(), SVSI_EDIT);
                pView->Release();
            }
            m_bRenamePending = FALSE;
        }
        return 0;

    case SFVM_GETPANE:
        if (wParam == 1 && lParam)
            *reinterpret_cast<DWORD*>(lParam) = 2;
        return 1;

    default:
        return 0;
    }
}

// ---- renaming a new item in place ------------------------------------------------------------

int CNameSpaceExtension::OnAddingItem(LPCITEMIDLIST pidl) noexcept
{
    if (m_pidlRename && pidl &&
        m_xShellFolder.CompareIDs(0, pidl, m_pidlRename.get()) == 0)
    {
        m_bRenamePending = TRUE;
    }
    return 0;
}

LRESULT CNameSpaceExtension::SelectItem(LPCITEMIDLIST pidl) noexcept
{
    return ::SendMessageA(m_hwndOwner, WM_USER + 5, 1, reinterpret_cast<LPARAM>(pidl));
}

// ---- the folder's own menu -----------------------------------------------------------------

BOOL CNameSpaceExtension::QueryBackgroundMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst,
                                              UINT, UINT uFlags) noexcept
{
    UINT pos = indexMenu;
    if (GetItemAttributes(nullptr) & SFGAO_BROWSABLE)
    {
        const bool bExplore = (uFlags & CMF_EXPLORE) != 0;
        const UINT first = bExplore ? kOffsetExplore : kOffsetOpen;
        const UINT second = bExplore ? kOffsetOpen : kOffsetExplore;
        auto text = [](UINT offset) { return offset == kOffsetExplore ? "&Explore" : "&Open"; };
        InsertTextItem(hmenu, pos, idCmdFirst + first, text(first), MFS_DEFAULT);
        if (uFlags & CMF_DEFAULTONLY)
            return TRUE;
        InsertTextItem(hmenu, pos + 1, idCmdFirst + second, text(second), 0);
        pos += 2;
    }
    if (uFlags & CMF_DEFAULTONLY)
        return TRUE;
    InsertTextItem(hmenu, pos, idCmdFirst + kOffsetFind, "&Find...", 0);
    InsertSeparator(hmenu, pos + 1);
    InsertTextItem(hmenu, pos + 2, idCmdFirst + kOffsetProperties, "&Properties", 0);
    return TRUE;
}

BOOL CNameSpaceExtension::InvokeBackgroundCommand(LPCMINVOKECOMMANDINFO pici) noexcept
{
    if (!pici)
        return FALSE;
    if (HIWORD(reinterpret_cast<ULONG_PTR>(pici->lpVerb)) != 0)
    {
        if (lstrcmpiA(pici->lpVerb, "delete") != 0)
            return FALSE;
        const BOOL ok = DeleteFolder();
        if (ok)
            ::SHChangeNotify(SHCNE_DELETE, SHCNF_IDLIST | SHCNF_FLUSHNOWAIT, m_pidl.get(), nullptr);
        return ok;
    }
    const UINT offset = LOWORD(reinterpret_cast<ULONG_PTR>(pici->lpVerb));
    if (offset != kOffsetExplore && offset != kOffsetOpen)
        return FALSE;
    UniquePidl pidl(m_pidl ? ::ILClone(m_pidl.get()) : nullptr);
    SHELLEXECUTEINFOA sei = {};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_IDLIST | SEE_MASK_CLASSNAME;
    sei.hwnd = pici->hwnd;
    sei.lpVerb = offset == kOffsetExplore ? "explore" : "open";
    sei.lpIDList = pidl.get();
    sei.lpClass = "folder";
    sei.nShow = SW_SHOWDEFAULT;
    ::ShellExecuteExA(&sei);
    return TRUE;
}

} // namespace corvasin
