// The registry menus, built from the command table: the item menu of a selection and the icon
// menu of the namespace's own icon, the submenus filled when they open, and the dispatch of
// invoked commands.
#include "commands/RegUIObject.h"

#include "core/Handles.h"
#include "framework/MenuPopupWatch.h"
#include "registry/RegServices.h"

namespace corvasin
{

// ---- building -----------------------------------------------------------------------------------

HRESULT CRegUIObject::OnQueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst,
                                         UINT idCmdLast, UINT uFlags) noexcept
{
    m_idCmdFirst = idCmdFirst;
    m_hSubMenu = nullptr;
    if (GetItemCount() > 0)
        return BuildItemMenu(hmenu, indexMenu, idCmdFirst, idCmdLast, uFlags);
    return BuildIconMenu(hmenu, indexMenu, idCmdFirst, idCmdLast, uFlags);
}

void CRegUIObject::AddPopup(CMenuBuilder& menu, UINT offset, LPCSTR pszText) noexcept
{
    UniqueHmenu popup(::CreatePopupMenu());
    if (!popup)
        return;
    CMenuBuilder placeholder(popup.get(), 0, m_idCmdFirst, UINT_MAX, CMenuBuilder::Insert::ByCommand);
    placeholder.Add(offset, pszText);
    const int cBefore = ::GetMenuItemCount(menu.Menu());
    menu.AddPopup(offset, pszText, popup.get());
    // Once it hangs in the menu, the popup goes with that menu.
    if (::GetMenuItemCount(menu.Menu()) > cBefore)
    {
        m_hSubMenu = popup.release();
        WatchMenuPopups(this);
    }
}

void CRegUIObject::AddRows(CMenuBuilder& menu, UINT place, const MenuFacts& facts,
                           UINT indexMenu) noexcept
{
    for (const CommandRow& row : CommandRows())
    {
        if (!(row.places & place) || (row.places & kIsDefault) || !IsShown(row, facts))
            continue;
        if (row.places & kAtMenuTop)
            menu.SetInsert(0);
        if (row.pfnRun)
            menu.Add(row.offset, row.pszText);
        else
            AddPopup(menu, row.offset, row.pszText);
        menu.SetInsert(indexMenu);
    }
}

HRESULT CRegUIObject::BuildItemMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                    UINT uFlags) noexcept
{
    const MenuFacts facts = Facts();
    CMenuBuilder menu(hmenu, indexMenu, idCmdFirst, idCmdLast, CMenuBuilder::Insert::ByCommand);

    // The default entry first; then the base must not offer a default of its own.
    bool bDefault = false;
    for (const CommandRow& row : CommandRows())
    {
        if ((row.places & kInItemMenu) && (row.places & kIsDefault) && IsShown(row, facts))
        {
            menu.Add(row.offset, row.pszText, (uFlags & CMF_NODEFAULT) ? 0 : MFS_DEFAULT);
            bDefault = true;
        }
    }
    if (bDefault)
        uFlags |= CMF_NODEFAULT;
    if (uFlags & CMF_DEFAULTONLY)
    {
        if (bDefault)
            return MenuResult(kRegBaseFirst + 1);
    }
    else
    {
        AddRows(menu, kInItemMenu, facts, indexMenu);
    }

    // The base entries go in front, by position, with ids from kRegBaseFirst on.
    CShellUIObject::OnQueryContextMenu(hmenu, indexMenu, idCmdFirst + kRegBaseFirst, idCmdLast,
                                       uFlags);
    return MenuResult(kRegCommandCount);
}

HRESULT CRegUIObject::BuildIconMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                    UINT uFlags) noexcept
{
    if (uFlags & CMF_DEFAULTONLY)
        return MenuResult(0);
    CMenuBuilder menu(hmenu, indexMenu, idCmdFirst, idCmdLast, CMenuBuilder::Insert::ByCommand);
    AddRows(menu, kInIconMenu, Facts(), indexMenu);
    return MenuResult(kRegBaseFirst + 1);
}

// ---- the submenus -------------------------------------------------------------------------------

BOOL CRegUIObject::OnMenuMessage(UINT uMsg, WPARAM wParam, LPARAM) noexcept
{
    if (uMsg != WM_INITMENUPOPUP)
        return TRUE;
    const auto hPopup = reinterpret_cast<HMENU>(wParam);
    if (!::IsMenu(hPopup))
        return TRUE;
    // A submenu is known by its placeholder, the entry of the row that opens it.
    const UINT idFirst = ::GetMenuItemID(hPopup, 0);
    const CommandRow* pOpener = idFirst >= m_idCmdFirst ? FindCommand(idFirst - m_idCmdFirst) : nullptr;
    if (!pOpener || pOpener->pfnRun)
        return TRUE;
    ::DeleteMenu(hPopup, 0, MF_BYPOSITION);
    MenuFacts facts = Facts();
    // The place the namespace is in now is not offered.
    if (pOpener->dwParam & kInMoveMenu)
        facts.dwPlacement = m_services.ReadPlacementType();
    CMenuBuilder popup(hPopup, 0, m_idCmdFirst, UINT_MAX, CMenuBuilder::Insert::ByCommand);
    AddRows(popup, pOpener->dwParam, facts, 0);
    return TRUE;
}

// ---- invoking -----------------------------------------------------------------------------------

BOOL CRegUIObject::OnInvokeCommand(LPCMINVOKECOMMANDINFO pici) noexcept
{
    if (!pici)
        return FALSE;
    m_hwndInvoke = pici->hwnd;
    CString verb;
    if (ReadInvokedVerb(pici, &verb))
    {
        // The registry's own verbs compare with regard to case; the base's without.
        if (const CommandRow* pRow = FindCommandByVerb(verb.c_str()))
            return RunCommand(*pRow);
        return CShellUIObject::OnInvokeCommand(pici);
    }
    const UINT offset = LOWORD(reinterpret_cast<UINT_PTR>(pici->lpVerb));
    if (offset > kRegBaseFirst && offset < kRegBaseEnd)
    {
        CMINVOKECOMMANDINFO base = *pici;
        base.fMask &= ~CMIC_MASK_UNICODE;
        base.lpVerb = MAKEINTRESOURCEA(offset - kRegBaseFirst);
        return CShellUIObject::OnInvokeCommand(&base);
    }
    // 0, the two submenus and anything past the base entries do nothing.
    const CommandRow* pRow = FindCommand(offset);
    return pRow ? RunCommand(*pRow) : FALSE;
}

} // namespace corvasin
