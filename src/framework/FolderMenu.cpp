// The menu builder shared by the folder's own menu and the menus of selections.
#include "framework/FolderMenu.h"

#include "core/Strings.h"

namespace corvasin
{

CMenuBuilder::CMenuBuilder(HMENU hmenu, UINT uInsert, UINT idCmdFirst, UINT idCmdLast,
                           Insert mode) noexcept
    : m_hmenu(hmenu), m_uInsert(uInsert), m_idCmdFirst(idCmdFirst), m_idCmdLast(idCmdLast),
      m_mode(mode)
{
}

void CMenuBuilder::InsertItem(MENUITEMINFOA& mii) noexcept
{
    mii.cbSize = sizeof(mii);
    const BOOL bByPosition = m_mode == Insert::ByPosition;
    if (::InsertMenuItemA(m_hmenu, m_uInsert, bByPosition, &mii) && bByPosition)
        ++m_uInsert;
}

void CMenuBuilder::Add(UINT offset, LPCSTR pszText, UINT fState) noexcept
{
    const UINT idCmd = m_idCmdFirst + offset;
    if (idCmd > m_idCmdLast)
        return;
    MENUITEMINFOA mii = {};
    mii.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
    mii.fType = MFT_STRING;
    mii.fState = fState;
    mii.wID = idCmd;
    mii.dwTypeData = const_cast<LPSTR>(pszText);
    mii.cch = static_cast<UINT>(lstrlenA(pszText));
    InsertItem(mii);
}

void CMenuBuilder::AddSeparator() noexcept
{
    MENUITEMINFOA mii = {};
    mii.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
    mii.fType = MFT_SEPARATOR;
    InsertItem(mii);
}

void CMenuBuilder::AddPopup(UINT offset, LPCSTR pszText, HMENU hSubMenu) noexcept
{
    const UINT idCmd = m_idCmdFirst + offset;
    if (idCmd > m_idCmdLast)
        return;
    MENUITEMINFOA mii = {};
    mii.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_TYPE;
    mii.fType = MFT_STRING;
    mii.wID = idCmd;
    mii.hSubMenu = hSubMenu;
    mii.dwTypeData = const_cast<LPSTR>(pszText);
    mii.cch = static_cast<UINT>(lstrlenA(pszText));
    InsertItem(mii);
}

bool CMenuBuilder::AddOpenAndExplore(UINT uFlags, UINT fDefault) noexcept
{
    const bool bExploreFirst = (uFlags & CMF_EXPLORE) != 0;
    Add(bExploreFirst ? kCmdExplore : kCmdOpen, bExploreFirst ? "&Explore" : "&Open", fDefault);
    if (uFlags & CMF_DEFAULTONLY)
        return false;
    Add(bExploreFirst ? kCmdOpen : kCmdExplore, bExploreFirst ? "&Open" : "&Explore");
    return true;
}

// The verb as ANSI text, or empty when the caller gave a command offset. A Unicode caller's
// wide verb is preferred when it passed one.
bool ReadInvokedVerb(LPCMINVOKECOMMANDINFO pici, CString* pVerb) noexcept
{
    if (pici->cbSize >= sizeof(CMINVOKECOMMANDINFOEX) && (pici->fMask & CMIC_MASK_UNICODE))
    {
        const auto* piciex = reinterpret_cast<const CMINVOKECOMMANDINFOEX*>(pici);
        if (!IS_INTRESOURCE(piciex->lpVerbW))
        {
            *pVerb = WideToAnsi(piciex->lpVerbW);
            return true;
        }
    }
    if (IS_INTRESOURCE(pici->lpVerb))
        return false;
    try
    {
        *pVerb = pici->lpVerb;
    }
    catch (...)
    {
        // An unreadable verb matches no command.
        pVerb->clear();
    }
    return true;
}

} // namespace corvasin
