// The registry menus: the item menu of a selection and the icon menu of the namespace's own
// icon, the submenus filled when they open, and the dispatch of invoked commands.
#include "commands/RegUIObject.h"

#include "core/Handles.h"
#include "framework/MenuPopupWatch.h"

#include <cstring>
#include <iterator>

namespace corvasin
{

namespace
{
// The entries of the "New" submenu, in their order.
struct NewEntry
{
    UINT offset;
    LPCSTR pszText;
};
constexpr NewEntry c_newEntries[] = {
    {CRegUIObject::kRegNewKey, "Key"},
    {CRegUIObject::kRegNewString, "String value"},
    {CRegUIObject::kRegNewDword, "DWORD value"},
    {CRegUIObject::kRegNewBinary, "Binary value"},
    {CRegUIObject::kRegNewMultiSz, "MultiSz value"},
};

// The entries of the "Move to" submenu and the placement each one stands for.
struct MoveEntry
{
    UINT offset;
    LPCSTR pszText;
    DWORD dwPlacement;
};
constexpr MoveEntry c_moveEntries[] = {
    {CRegUIObject::kRegMoveDesktop, "Desktop", 0},
    {CRegUIObject::kRegMoveMyComputer, "My Computer", 1},
    {CRegUIObject::kRegMoveControlPanel, "Control Panel", 2},
    {CRegUIObject::kRegMoveFolder, "Select folder...", 3},
};
constexpr DWORD kPlacementFolder = 3; // always offered: another folder can always be picked
} // namespace

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

HRESULT CRegUIObject::BuildItemMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                    UINT uFlags) noexcept
{
    REGITEM first;
    const bool bFirstKnown = ItemRecord(0, &first);
    const bool bOne = GetItemCount() == 1;
    const bool bFirstIsKey = bFirstKnown && first.dwKind == REGITEM_KEY;
    CMenuBuilder menu(hmenu, indexMenu, idCmdFirst, idCmdLast, CMenuBuilder::Insert::ByCommand);

    bool bEdit = false;
    if (bOne && bFirstKnown && !bFirstIsKey)
    {
        menu.Add(kRegEdit, "Edit", (uFlags & CMF_NODEFAULT) ? 0 : MFS_DEFAULT);
        bEdit = true;
        // The base must not offer a default of its own.
        uFlags |= CMF_NODEFAULT;
    }
    if (uFlags & CMF_DEFAULTONLY)
    {
        if (bEdit)
            return MenuResult(kRegBaseFirst + 1);
    }
    else
    {
        menu.Add(kRegExport, "Export");
        if (bFirstIsKey)
            menu.Add(kRegFind, "Find...");
        if (bOne && bFirstIsKey)
        {
            menu.SetInsert(0);
            menu.Add(kRegCopyKeyName, "Copy key name");
            menu.Add(kRegCopyFullKeyName, "Copy full key name");
            menu.SetInsert(indexMenu);
            AddPopup(menu, kRegNewMenu, "New");
            menu.Add(kRegSecurity, "Security...");
        }
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
    menu.Add(kRegFind, "Find...");
    AddPopup(menu, kRegMoveMenu, "Move to");
    menu.Add(kRegAbout, "About Corvasin");
    menu.Add(kRegUninstall, "Uninstall");
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
    const UINT idFirst = ::GetMenuItemID(hPopup, 0);
    CMenuBuilder popup(hPopup, 0, m_idCmdFirst, UINT_MAX, CMenuBuilder::Insert::ByCommand);
    if (idFirst == m_idCmdFirst + kRegNewMenu)
    {
        ::DeleteMenu(hPopup, 0, MF_BYPOSITION);
        for (const NewEntry& entry : c_newEntries)
            popup.Add(entry.offset, entry.pszText);
    }
    else if (idFirst == m_idCmdFirst + kRegMoveMenu)
    {
        ::DeleteMenu(hPopup, 0, MF_BYPOSITION);
        // The place the namespace is in now is not offered.
        const DWORD dwCurrent = ReadPlacementType();
        for (const MoveEntry& entry : c_moveEntries)
        {
            if (entry.dwPlacement != dwCurrent || entry.dwPlacement == kPlacementFolder)
                popup.Add(entry.offset, entry.pszText);
        }
    }
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
        if (verb == "edit")
            return OnEdit();
        if (verb == "export")
            return OnExport();
        return CShellUIObject::OnInvokeCommand(pici);
    }
    const UINT offset = LOWORD(reinterpret_cast<UINT_PTR>(pici->lpVerb));
    if (offset > kRegBaseFirst && offset < kRegCommandCount)
    {
        CMINVOKECOMMANDINFO base = *pici;
        base.fMask &= ~CMIC_MASK_UNICODE;
        base.lpVerb = MAKEINTRESOURCEA(offset - kRegBaseFirst);
        return CShellUIObject::OnInvokeCommand(&base);
    }
    return RunCommand(offset);
}

BOOL CRegUIObject::RunCommand(UINT offset) noexcept
{
    switch (offset)
    {
    case kRegEdit:
        return OnEdit();
    case kRegExport:
        return OnExport();
    case kRegFind:
        return OnFind();
    case kRegNewKey:
        return OnNewKey();
    case kRegNewString:
        return OnNewValue(REG_SZ);
    case kRegNewDword:
        return OnNewValue(REG_DWORD);
    case kRegNewBinary:
        return OnNewValue(REG_BINARY);
    case kRegNewMultiSz:
        return OnNewValue(REG_MULTI_SZ);
    case kRegSecurity:
        return OnSecurity();
    case kRegCopyKeyName:
        return OnCopyKeyName(FALSE);
    case kRegCopyFullKeyName:
        return OnCopyKeyName(TRUE);
    case kRegAbout:
        return OnAbout();
    case kRegUninstall:
        return OnUninstall();
    default:
        break;
    }
    for (const MoveEntry& entry : c_moveEntries)
    {
        if (entry.offset == offset)
            return MoveFolder(entry.dwPlacement);
    }
    // 0, the two submenus and anything past the base entries do nothing.
    return FALSE;
}

} // namespace corvasin
