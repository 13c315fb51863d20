// CRegServices: what the floors above hand down to the registry folders and to the UI objects of
// their items, in one record. The top floor makes it once and keeps it for the module's life;
// the root folder is given it and every sub-folder inherits it.
//
// The folders only list, name, describe and bind. What the shell asks of a folder that is a
// command (delete its items, rename one, take a drop, Find..., the view's Export button, its
// key's security) keeps its entry point on the folder, which hands the work up through this
// record to the one place that does it. A record made without the floors above (CRegServices
// itself) reports no class, makes no UI object and starts no command.
#pragma once

#include "core/Strings.h"
#include "registry/RegItem.h"

#include <windows.h>
#include <shlobj.h>

namespace corvasin
{

class CCmdTarget;
class CNameSpaceExtension;
class CRegkeyExtension;

class CRegServices
{
public:
    CRegServices() noexcept = default;
    CRegServices(const CRegServices&) = delete;
    CRegServices& operator=(const CRegServices&) = delete;

    // ---- what the product is called by -------------------------------------------------------
    // The folders' class id (GetCLSID) and the UI objects' class id.
    virtual const CLSID& FolderClassId() const noexcept { return CLSID_NULL; }
    virtual const CLSID& UIObjectClassId() const noexcept { return CLSID_NULL; }
    // The number of "CORVASIN_CLIPFORMAT_REGKEY"; 0: drops are refused.
    virtual UINT RegKeyFormat() const noexcept { return 0; }
    // The folder a UI object works on when the shell gives it none of ours, without a new
    // reference (the caller adds its own at once); null without one.
    virtual CNameSpaceExtension* DefaultFolder() const noexcept { return nullptr; }

    // ---- the folder's entry points, done on the commands floor --------------------------------
    // A UI object for items of the folder, with one reference for the caller, or null.
    virtual CCmdTarget* CreateUIObject(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl,
                                       HWND hwndOwner) const noexcept;
    // Deletes the items, each after its question; S_OK when every item asked about was dealt
    // with (deleted, or kept because the user said No).
    virtual HRESULT DeleteItems(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl,
                                HWND hwndOwner) const noexcept;
    // Renames the item in place (the record takes the new name).
    virtual HRESULT RenameItem(CRegkeyExtension& folder, REGITEM& item,
                               const CString& newName) const noexcept;
    // Copies what a data object carries into the folder's key.
    virtual HRESULT Drop(CRegkeyExtension& folder, IDataObject* pDataObject) const noexcept;
    // Find... over the items (the whole folder when cidl is 0).
    virtual HRESULT FindItems(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl,
                              HWND hwndOwner) const noexcept;
    // The access-control editor on the folder's key.
    virtual HRESULT EditKeySecurity(CRegkeyExtension& folder, HWND hwndOwner) const noexcept;
    // The commands of the view's toolbar: how many buttons (a separator first), the command
    // offset of button i, its help text, and running it on the view's selection (the folder's
    // whole key when nothing is selected).
    virtual UINT ViewButtonCount() const noexcept { return 0; }
    virtual UINT ViewButtonCommand(UINT) const noexcept { return 0; }
    virtual const char* ViewCommandHelp(UINT) const noexcept { return nullptr; }
    virtual HRESULT RunViewCommand(CRegkeyExtension& folder, UINT offset, UINT cidl,
                                   LPCITEMIDLIST* apidl, HWND hwndOwner) const noexcept;

    // ---- the installation floor's commands ----------------------------------------------------
    virtual BOOL OpenAboutPage() const noexcept { return FALSE; }
    virtual BOOL Uninstall() const noexcept { return FALSE; }
    // Mounts the registry's root at placement 0 (Desktop), 1 (My Computer), 2 (Control Panel)
    // or 3 (a folder the user picks); a failure is shown, owned by hwndOwner.
    virtual BOOL MoveFolder(HWND hwndOwner, DWORD dwPlacement) const noexcept;
    // The current placement, for the "Move to" submenu; 0 when it cannot be read.
    virtual DWORD ReadPlacementType() const noexcept { return 0; }

protected:
    ~CRegServices() = default;
};

// The record of a folder made without the floors above.
const CRegServices& NoRegServices() noexcept;

} // namespace corvasin
