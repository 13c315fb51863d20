// The context menu of a selection: the base entries (open, explore, properties, delete, rename,
// copy), the dispatch of invoked commands, and the clipboard commands.
#include "framework/NameSpaceExtension.h"
#include "framework/ShellConstants.h"
#include "framework/ShellOpen.h"
#include "framework/ShellUIObject.h"
#include "core/ComPtr.h"
#include "core/Result.h"
#include "core/Strings.h"

#include <iterator>

namespace corvasin
{

namespace
{
struct TextVerb
{
    const char* pszVerb;
    BOOL (CShellUIObject::*pfnCommand)() noexcept;
};

constexpr TextVerb c_textVerbs[] = {
    {"delete", &CShellUIObject::OnDelete},
    {"cut", &CShellUIObject::OnCut},
    {"copy", &CShellUIObject::OnCopy},
    {"paste", &CShellUIObject::OnPaste},
    {"properties", &CShellUIObject::OnProperties},
};

} // namespace

// ---- building the menu -----------------------------------------------------------------------

HRESULT CShellUIObject::OnQueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst,
                                           UINT idCmdLast, UINT uFlags) noexcept
{
    const HRESULT hrReserved = MenuResult(kBaseCommandCount);
    const ULONG ulAttributes = FirstItemAttributes();
    CMenuBuilder menu(hmenu, indexMenu, idCmdFirst, idCmdLast);

    if ((ulAttributes & SFGAO_BROWSABLE) &&
        !menu.AddOpenAndExplore(uFlags, (uFlags & CMF_NODEFAULT) ? 0 : MFS_DEFAULT))
        return hrReserved;
    if (uFlags & CMF_DEFAULTONLY)
        return hrReserved;

    menu.AddSeparator();
    if (ulAttributes & SFGAO_HASPROPSHEET)
        menu.Add(kCmdProperties, "&Properties");
    if (ulAttributes & SFGAO_CANDELETE)
        menu.Add(kCmdDelete, "&Delete");
    if (m_nItems == 1 && (ulAttributes & SFGAO_CANRENAME))
        menu.Add(kCmdRename, "&Rename");
    if (m_nItems == 1 && (ulAttributes & SFGAO_CANCOPY))
        menu.Add(kCmdCopy, "&Copy");
    return hrReserved;
}

// ---- invoking --------------------------------------------------------------------------------

BOOL CShellUIObject::OnInvokeCommand(LPCMINVOKECOMMANDINFO pici) noexcept
{
    if (!pici)
        return FALSE;
    CString verb;
    if (ReadInvokedVerb(pici, &verb))
    {
        for (const TextVerb& entry : c_textVerbs)
        {
            if (::lstrcmpiA(verb.c_str(), entry.pszVerb) == 0)
                return (this->*entry.pfnCommand)();
        }
        return FALSE;
    }

    switch (LOWORD(reinterpret_cast<UINT_PTR>(pici->lpVerb)))
    {
    case kCmdExplore:
        return OpenItems(pici->hwnd, "explore");
    case kCmdOpen:
        return OpenItems(pici->hwnd, "open");
    case kCmdProperties:
        return OnProperties();
    case kCmdDelete:
        return OnDelete();
    case kCmdRename:
        return OnRename();
    case kCmdCopy:
        return OnCopy();
    default:
        return FALSE;
    }
}

BOOL CShellUIObject::OpenItems(HWND hwnd, const char* pszVerb) noexcept
{
    LPCITEMIDLIST pidlFolder = FolderIdList();
    if (!pidlFolder || m_nItems == 0)
        return FALSE;
    for (UINT i = 0; i < m_nItems; ++i)
    {
        UniquePidl pidlFull(::ILCombine(pidlFolder, m_apidlItems[i].get()));
        // Dispatching keeps the windows of a multiple selection opening in order.
        if (pidlFull)
            OpenInShell(hwnd, pidlFull.get(), pszVerb, SW_SHOW, true);
    }
    return TRUE;
}

BOOL CShellUIObject::OnDelete() noexcept { return FALSE; }
BOOL CShellUIObject::OnCut() noexcept { return FALSE; }
BOOL CShellUIObject::OnProperties() noexcept { return FALSE; }
BOOL CShellUIObject::OnMenuMessage(UINT, WPARAM, LPARAM) noexcept { return FALSE; }

BOOL CShellUIObject::OnCopy() noexcept
{
    // The clipboard keeps its own reference; a refusal (no clipboard owner window, say) leaves the
    // user's clipboard as it was, which is all a copy can do then.
    ::OleSetClipboard(static_cast<IDataObject*>(&m_xDataObject));
    return TRUE;
}

BOOL CShellUIObject::OnPaste() noexcept
{
    if (m_nItems != 1)
        return FALSE;
    const BYTE* pData = ItemData(0);
    if (!pData)
        return FALSE;
    ComPtr<IDataObject> clipboard;
    if (FAILED(::OleGetClipboard(clipboard.put())) || !clipboard)
        return FALSE;
    const CmdTargetPtr<CNameSpaceExtension> pTarget = m_pFolder->GetSubFolder(pData);
    if (!pTarget)
        return FALSE;
    const POINTL pt = {-1, -1};
    DWORD dwEffect = DROPEFFECT_COPY;
    return pTarget->Drop(clipboard.get(), 0, pt, &dwEffect);
}

BOOL CShellUIObject::OnRename() noexcept
{
    // Without a view window to ask there is nobody to start the in-place edit.
    if (!m_hwndOwner || !::IsWindow(m_hwndOwner))
        return FALSE;
    ::SendMessageA(m_hwndOwner, WM_COMMAND, kViewRenameCommand, 0);
    return TRUE;
}

// ---- IContextMenu3 ---------------------------------------------------------------------------

STDMETHODIMP CShellUIObject::XContextMenu::QueryContextMenu(HMENU hmenu, UINT indexMenu,
                                                            UINT idCmdFirst, UINT idCmdLast,
                                                            UINT uFlags)
{
    if (!hmenu || !::IsMenu(hmenu) || idCmdLast < idCmdFirst)
        return E_INVALIDARG;
    return m_pThis->OnQueryContextMenu(hmenu, indexMenu, idCmdFirst, idCmdLast, uFlags);
}

STDMETHODIMP CShellUIObject::XContextMenu::InvokeCommand(LPCMINVOKECOMMANDINFO pici)
{
    if (!pici || pici->cbSize < sizeof(CMINVOKECOMMANDINFO))
        return E_INVALIDARG;
    return HrFromBool(m_pThis->OnInvokeCommand(pici));
}

STDMETHODIMP CShellUIObject::XContextMenu::GetCommandString(UINT_PTR, UINT, UINT*, LPSTR, UINT)
{
    return E_NOTIMPL;
}

STDMETHODIMP CShellUIObject::XContextMenu::HandleMenuMsg(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return m_pThis->OnMenuMessage(uMsg, wParam, lParam) ? S_OK : E_NOTIMPL;
}

STDMETHODIMP CShellUIObject::XContextMenu::HandleMenuMsg2(UINT uMsg, WPARAM wParam, LPARAM lParam,
                                                          LRESULT* plResult)
{
    if (!m_pThis->OnMenuMessage(uMsg, wParam, lParam))
        return E_NOTIMPL;
    if (plResult)
        *plResult = 0;
    return S_OK;
}

} // namespace corvasin
