// CRegUIObject: the UI object of the registry namespace, for a selection of registry keys and
// values or, created by its class factory, for the namespace's own icon. The product's final
// class (on the top floor) names the class id it is registered under, the folder to fall back
// on when the shell initialises it without one of ours, and the commands that live above this
// floor (about, uninstall, placement).
//
// Ownership and threading as CShellUIObject.
#pragma once

#include "framework/ShellUIObject.h"

namespace corvasin
{

class CRegkeyExtension;

class CRegUIObject : public CShellUIObject
{
public:
    CRegUIObject(CNameSpaceExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                 LPCITEMIDLIST pidlFolder, HWND hwndOwner) noexcept;

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
};

} // namespace corvasin
