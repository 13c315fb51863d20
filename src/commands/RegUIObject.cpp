// The registry UI object: construction and the commands not yet built (each reports FALSE).
#include "commands/RegUIObject.h"

#include "registry/RegkeyExtension.h"

namespace corvasin
{

CRegUIObject::CRegUIObject(CNameSpaceExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                           LPCITEMIDLIST pidlFolder, HWND hwndOwner) noexcept
    : CShellUIObject(pFolder, cidl, apidl, pidlFolder, hwndOwner)
{
}

CRegkeyExtension* CRegUIObject::RegFolder() const noexcept
{
    // Every folder of this namespace is a registry key folder; the check keeps a foreign one
    // (a host's, in tests) from being taken for one.
    CNameSpaceExtension* pFolder = GetFolder();
    if (!pFolder || !pFolder->GetInterface(IID_IRegFolder))
        return nullptr;
    return static_cast<CRegkeyExtension*>(pFolder);
}

BOOL CRegUIObject::OnEdit() noexcept { return FALSE; }
BOOL CRegUIObject::OnExport() noexcept { return FALSE; }
BOOL CRegUIObject::OnFind() noexcept { return FALSE; }
BOOL CRegUIObject::OnNewKey() noexcept { return FALSE; }
BOOL CRegUIObject::OnNewValue(DWORD) noexcept { return FALSE; }
BOOL CRegUIObject::OnSecurity() noexcept { return FALSE; }
BOOL CRegUIObject::OnCopyKeyName(BOOL) noexcept { return FALSE; }
BOOL CRegUIObject::OnAbout() noexcept { return FALSE; }
BOOL CRegUIObject::OnUninstall() noexcept { return FALSE; }
BOOL CRegUIObject::MoveFolder(DWORD) noexcept { return FALSE; }
DWORD CRegUIObject::ReadPlacementType() noexcept { return 0; }

} // namespace corvasin
