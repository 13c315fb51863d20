// CRegUIObject: the UI object of the registry namespace, for a selection of registry keys and
// values or, created by its class factory, for the namespace's own icon. Its menus, its verbs
// and what they run come from the command table; what only the product's top floor knows (the
// class id, the folder to fall back on, about, uninstall and placement) comes from the services
// record it is given.
//
// Ownership and threading as CShellUIObject.
#pragma once

#include "commands/CommandTable.h"
#include "commands/DragFile.h"
#include "framework/FolderMenu.h"
#include "framework/ShellUIObject.h"
#include "registry/RegItem.h"

#include <vector>

namespace corvasin
{

class CRegServices;
class CRegkeyExtension;

class CRegUIObject : public CShellUIObject
{
public:
    using enum RegCommand;

    CRegUIObject(const CRegServices& services, CNameSpaceExtension* pFolder, UINT cidl,
                 LPCITEMIDLIST* apidl, LPCITEMIDLIST pidlFolder, HWND hwndOwner) noexcept;

    // ---- the registry's own format, in front of the base's ----------------------------------
    BOOL GetFormatEtc(int nIndex, FORMATETC* pFormatEtc) noexcept override;
    BOOL IsFormatAvailable(CLIPFORMAT cf) noexcept override;
    BOOL RenderData(CLIPFORMAT cf, HGLOBAL hGlobal) noexcept override;
    SIZE_T GetDataSize(CLIPFORMAT cf) noexcept override;
    // ---- the .reg file for file-system targets, after the item id array -----------------------
    // "FileGroupDescriptorW", "FileContents" (lindex 0, a stream or a global block) and
    // CF_HDROP, made from one render of the export when a target first asks.
    HRESULT GetOwnData(const FORMATETC& fe, STGMEDIUM* pmedium) noexcept override;

    // ---- the menus ---------------------------------------------------------------------------
    HRESULT OnQueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                               UINT uFlags) noexcept override;
    BOOL OnInvokeCommand(LPCMINVOKECOMMANDINFO pici) noexcept override;
    BOOL OnDelete() noexcept override;
    // Fills the "New" and "Move to" submenus when they open.
    BOOL OnMenuMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept override;
    const CLSID& GetClassID() noexcept override;
    CNameSpaceExtension* GetDefaultFolder() noexcept override;

protected:
    ~CRegUIObject() override = default;

private:
    // The items' folder as a registry key folder, or null.
    CRegkeyExtension* RegFolder() const noexcept;
    // The items' relative id lists.
    std::vector<LPCITEMIDLIST> ItemLists() const;
    // The number of "CORVASIN_CLIPFORMAT_REGKEY"; 0 without a registry folder.
    UINT RegKeyFormat() const noexcept;
    // Whether the selection becomes a .reg file for file-system targets: items of a registry
    // folder (not the namespace's own icon).
    bool OffersDragFile() const noexcept;
    // What decides which entries the menus show.
    MenuFacts Facts() const noexcept;
    // The window of the command being invoked, the owner of its dialogs; else the owner the
    // object was made for.
    HWND CommandOwner() const noexcept;

    HRESULT BuildItemMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                          UINT uFlags) noexcept;
    HRESULT BuildIconMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                          UINT uFlags) noexcept;
    // Adds the rows of one place to a menu, as the facts allow.
    void AddRows(CMenuBuilder& menu, UINT place, const MenuFacts& facts, UINT indexMenu) noexcept;
    // Adds a popup holding only its placeholder entry, remembered as m_hSubMenu.
    void AddPopup(CMenuBuilder& menu, UINT offset, LPCSTR pszText) noexcept;
    BOOL RunCommand(const CommandRow& row) noexcept;

    const CRegServices& m_services;
    // The popup ("New" or "Move to") of the last menu build. Not owned: once it hangs in the
    // shell's menu it goes with that menu; only a popup that could not be attached is
    // destroyed at once.
    HMENU m_hSubMenu = nullptr;
    UINT m_idCmdFirst = 0;
    HWND m_hwndInvoke = nullptr;
    CDragFile m_dragFile;
};

} // namespace corvasin
