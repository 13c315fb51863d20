// The menus the folder framework builds: the command offsets the folder's own menu and the
// selection's menu share, and one builder that inserts entries the way the shell expects
// (by position or by command identifier, never past the range the shell gave).
#pragma once

#include "core/Strings.h"

#include <windows.h>
#include <shlobj.h>

namespace corvasin
{

// Command offsets of the base entries, relative to the first command id the shell passes.
enum FolderCommand : UINT
{
    kCmdExplore = 1,
    kCmdOpen = 2,
    kCmdProperties = 3,
    kCmdDelete = 4,
    kCmdRename = 5,
    kCmdFind = 6, // the folder's own menu only
    kCmdCopy = 7,
    kBaseCommandCount = 8, // offsets 0 to 7; 0 is never used
};

class CMenuBuilder
{
public:
    enum class Insert
    {
        ByPosition, // at the insert position, which moves behind each entry
        ByCommand,  // before the entry whose id is the insert position (appended when none is)
    };

    // Entries get ids idCmdFirst + offset; an id past idCmdLast would collide with another
    // handler's commands, so such an entry is left out.
    CMenuBuilder(HMENU hmenu, UINT uInsert, UINT idCmdFirst, UINT idCmdLast,
                 Insert mode = Insert::ByPosition) noexcept;

    void Add(UINT offset, LPCSTR pszText, UINT fState = 0) noexcept;
    void AddSeparator() noexcept;
    // An entry that opens hSubMenu (the menu takes it over).
    void AddPopup(UINT offset, LPCSTR pszText, HMENU hSubMenu) noexcept;
    // "&Open" and "&Explore", the one the flags prefer first and default (unless fDefault is
    // 0); with CMF_DEFAULTONLY only that one. False when the build must end there.
    bool AddOpenAndExplore(UINT uFlags, UINT fDefault) noexcept;
    // Inserts at a position other than the current one (the base entries of a derived menu).
    void SetInsert(UINT uInsert) noexcept { m_uInsert = uInsert; }
    HMENU Menu() const noexcept { return m_hmenu; }

private:
    void InsertItem(MENUITEMINFOA& mii) noexcept;

    HMENU m_hmenu;
    UINT m_uInsert;
    UINT m_idCmdFirst;
    UINT m_idCmdLast;
    Insert m_mode;
};

// The verb of an invoked command as ANSI text (a Unicode caller's wide verb is preferred);
// false when the caller gave a command offset instead.
bool ReadInvokedVerb(LPCMINVOKECOMMANDINFO pici, CString* pVerb) noexcept;

// The result QueryContextMenu gives for a menu whose offsets run below cOffsets.
inline HRESULT MenuResult(UINT cOffsets) noexcept
{
    return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, cOffsets);
}

} // namespace corvasin
