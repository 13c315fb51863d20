// What the folder gives the shell's default view and the shell's drag and drop: column details,
// the drop target, the view callback with its messages, in-place renaming of a new item, and
// the folder's own menu.
#include "framework/NameSpaceExtension.h"

#include "framework/FolderMenu.h"
#include "framework/ItemIdList.h"
#include "framework/ShellConstants.h"
#include "framework/ShellOpen.h"
#include "core/ComPtr.h"
#include "core/WindowsVersion.h"

#include <shellapi.h>
#include <climits>
#include <cstring>

namespace corvasin
{

namespace
{
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
    m_pThis->m_pDragDataObject = ComPtr<IDataObject>(pDataObj);
    *pdwEffect = m_pThis->QueryDrop(pDataObj, grfKeyState, pt, TRUE);
    return S_OK;
}

STDMETHODIMP CNameSpaceExtension::XDropTarget::DragOver(DWORD grfKeyState, POINTL pt,
                                                        DWORD* pdwEffect)
{
    if (!pdwEffect)
        return E_POINTER;
    *pdwEffect = m_pThis->QueryDrop(m_pThis->m_pDragDataObject.get(), grfKeyState, pt, FALSE);
    return S_OK;
}

STDMETHODIMP CNameSpaceExtension::XDropTarget::DragLeave()
{
    m_pThis->m_pDragDataObject.reset();
    return S_OK;
}

STDMETHODIMP CNameSpaceExtension::XDropTarget::Drop(IDataObject* pDataObj, DWORD grfKeyState,
                                                    POINTL pt, DWORD* pdwEffect)
{
    DWORD dwEffect = pdwEffect ? *pdwEffect : 0;
    const BOOL ok = m_pThis->Drop(pDataObj, grfKeyState, pt, &dwEffect);
    if (pdwEffect)
        *pdwEffect = dwEffect;
    m_pThis->m_pDragDataObject.reset();
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
        if (IsWindowsNtPlatform())
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

    case kSfvmSelectionChanged:
        return OnSelectionChanged(hwndMain, lParam);

    case kSfvmViewReleased: // stop handing requests on to the view
        ForgetView();
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

    case kSfvmAddingItem: // the block belongs to the view
    {
        if (!lParam)
            return 0;
        LPCITEMIDLIST pidl = nullptr;
        memcpy(&pidl, reinterpret_cast<const BYTE*>(lParam) + kAddingItemIdOffset, sizeof(pidl));
        return OnAddingItem(pidl);
    }

    case SFVM_UPDATESTATUSBAR:
        if (m_bRenamePending)
        {
            ::SHShellFolderView_Message(m_hwndOwner, SFVM_REARRANGE, 0);
            auto* pBrowser = reinterpret_cast<IShellBrowser*>(
                ::SendMessageA(m_hwndOwner, kCwmGetIShellBrowser, 0, 0));
            ComPtr<IShellView> pView;
            if (pBrowser && m_pidlRename && SUCCEEDED(pBrowser->QueryActiveShellView(pView.put())) &&
                pView)
                pView->SelectItem(m_pidlRename.get(), SVSI_EDIT);
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
    return ::SendMessageA(m_hwndOwner, kCwmSelectItem, 1, reinterpret_cast<LPARAM>(pidl));
}

// ---- the folder's own menu -----------------------------------------------------------------

BOOL CNameSpaceExtension::QueryBackgroundMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst,
                                              UINT, UINT uFlags) noexcept
{
    // The folder's own menu has always taken every id it needs.
    CMenuBuilder menu(hmenu, indexMenu, idCmdFirst, UINT_MAX);
    if ((GetItemAttributes(nullptr) & SFGAO_BROWSABLE) && !menu.AddOpenAndExplore(uFlags, MFS_DEFAULT))
        return TRUE;
    if (uFlags & CMF_DEFAULTONLY)
        return TRUE;
    menu.Add(kCmdFind, "&Find...");
    menu.AddSeparator();
    menu.Add(kCmdProperties, "&Properties");
    return TRUE;
}

BOOL CNameSpaceExtension::InvokeBackgroundCommand(LPCMINVOKECOMMANDINFO pici) noexcept
{
    if (!pici)
        return FALSE;
    if (!IS_INTRESOURCE(pici->lpVerb))
    {
        if (lstrcmpiA(pici->lpVerb, "delete") != 0)
            return FALSE;
        const BOOL ok = DeleteFolder();
        if (ok)
            ::SHChangeNotify(SHCNE_DELETE, SHCNF_IDLIST | SHCNF_FLUSHNOWAIT, m_pidl.get(), nullptr);
        return ok;
    }
    const UINT offset = LOWORD(reinterpret_cast<ULONG_PTR>(pici->lpVerb));
    if (offset != kCmdExplore && offset != kCmdOpen)
        return FALSE;
    UniquePidl pidl(m_pidl ? ::ILClone(m_pidl.get()) : nullptr);
    OpenInShell(pici->hwnd, pidl.get(), offset == kCmdExplore ? "explore" : "open", SW_SHOWDEFAULT,
                false);
    return TRUE;
}

} // namespace corvasin
