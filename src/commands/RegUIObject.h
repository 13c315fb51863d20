// CRegUIObject: the UI object of the registry namespace, for a selection of registry keys and
// values or, created by its class factory, for the namespace's own icon. The product's final
// class (on the top floor) names the class id it is registered under, the folder to fall back
// on when the shell initialises it without one of ours, and the commands that live above this
// floor (about, uninstall, placement).
//
// Ownership and threading as CShellUIObject.
#pragma once

#include "framework/FolderMenu.h"
#include "framework/ShellUIObject.h"
#include "registry/RegItem.h"

#include <vector>

namespace corvasin
{

class CRegkeyExtension;

class CRegUIObject : public CShellUIObject
{
public:
    // Command offsets of the registry menu, relative to the first command id the shell passes;
    // 20 to 26 are the base entries (offsets 1 to 7 of the base menu).
    enum RegCommand : UINT
    {
        kRegEdit = 1,
        kRegExport = 2,
        kRegFind = 3,
        kRegNewMenu = 4,
        kRegNewKey = 5,
        kRegNewString = 6,
        kRegNewDword = 7,
        kRegNewBinary = 8,
        kRegNewMultiSz = 9,
        kRegSecurity = 10,
        kRegCopyKeyName = 11,
        kRegCopyFullKeyName = 12,
        kRegMoveMenu = 13,
        kRegMoveDesktop = 14,
        kRegMoveMyComputer = 15,
        kRegMoveControlPanel = 16,
        kRegMoveFolder = 17,
        kRegAbout = 18,
        kRegUninstall = 19,
        kRegBaseFirst = 19, // the base entries use this offset as their first id
        kRegCommandCount = 27,
    };

    CRegUIObject(CNameSpaceExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                 LPCITEMIDLIST pidlFolder, HWND hwndOwner) noexcept;

    // ---- the registry's own format, in front of the base's ----------------------------------
    BOOL GetFormatEtc(int nIndex, FORMATETC* pFormatEtc) noexcept override;
    BOOL IsFormatAvailable(CLIPFORMAT cf) noexcept override;
    BOOL RenderData(CLIPFORMAT cf, HGLOBAL hGlobal) noexcept override;
    SIZE_T GetDataSize(CLIPFORMAT cf) noexcept override;

    // ---- the menus ---------------------------------------------------------------------------
    HRESULT OnQueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                               UINT uFlags) noexcept override;
    BOOL OnInvokeCommand(LPCMINVOKECOMMANDINFO pici) noexcept override;
    BOOL OnDelete() noexcept override;
    // Fills the "New" and "Move to" submenus when they open.
    BOOL OnMenuMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept override;

    // ---- the registry commands (TRUE when the command ran) ------------------------------------
    virtual BOOL OnEdit() noexcept;
    virtual BOOL OnExport() noexcept;
    virtual BOOL OnFind() noexcept;
    virtual BOOL OnNewKey() noexcept;
    virtual BOOL OnNewValue(DWORD dwType) noexcept;
    virtual BOOL OnSecurity() noexcept;
    virtual BOOL OnCopyKeyName(BOOL bFull) noexcept;
    virtual BOOL OnAbout() noexcept;
    virtual BOOL OnUninstall() noexcept;
    // Mounts the registry's root at placement 0 (Desktop), 1 (My Computer), 2 (Control Panel)
    // or 3 (a folder the user picks).
    virtual BOOL MoveFolder(DWORD dwPlacement) noexcept;
    // The current placement, for the "Move to" submenu; 0 when it cannot be read.
    virtual DWORD ReadPlacementType() noexcept;

protected:
    ~CRegUIObject() override = default;

    // The items' folder as a registry key folder, or null.
    CRegkeyExtension* RegFolder() const noexcept;
    // The record of item i, or false.
    bool ItemRecord(UINT i, REGITEM* pItem) const noexcept;
    // The items' relative id lists, for calls that take an array.
    std::vector<LPCITEMIDLIST> ItemLists() const;
    // The number of "CORVASIN_CLIPFORMAT_REGKEY"; 0 without a registry folder.
    UINT RegKeyFormat() const noexcept;

    // The popup ("New" or "Move to") of the last menu build. Not owned: once it hangs in the
    // shell's menu it goes with that menu; only a popup that could not be attached is
    // destroyed at once.
    HMENU m_hSubMenu = nullptr;
    UINT m_idCmdFirst = 0;
    // The window of the command being invoked, the owner of its dialogs; else the owner the
    // object was made for.
    HWND CommandOwner() const noexcept;
    HWND m_hwndInvoke = nullptr;

private:
    HRESULT BuildItemMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                          UINT uFlags) noexcept;
    HRESULT BuildIconMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                          UINT uFlags) noexcept;
    // Adds a popup holding only its placeholder entry, remembered as m_hSubMenu.
    void AddPopup(CMenuBuilder& menu, UINT offset, LPCSTR pszText) noexcept;
    BOOL RunCommand(UINT offset) noexcept;
    // Runs fn on the folder object of the single selected key; FALSE without one.
    template <typename Fn>
    BOOL OnSelectedKeyFolder(Fn fn) noexcept;
};

} // namespace corvasin
