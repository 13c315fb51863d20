// The registry UI object's commands: edit, find, new key and values, security, the key name on
// the clipboard and delete. Export, about, uninstall and placement come from the floors that
// own them.
#include "commands/RegUIObject.h"

#include "commands/EditValue.h"
#include "core/CmdTargetPtr.h"
#include "core/Result.h"
#include "framework/ItemIdList.h"
#include "framework/TextDataObject.h"
#include "registry/FolderChanges.h"
#include "registry/RegkeyExtension.h"

#include <vector>

namespace corvasin
{

namespace
{
// The folder object behind a folder, when it is a registry key folder.
CRegkeyExtension* AsRegFolder(CNameSpaceExtension* pFolder) noexcept
{
    // Every folder of this namespace answers IRegFolder; a foreign folder (a host's) does not.
    if (!pFolder || !pFolder->GetInterface(IID_IRegFolder))
        return nullptr;
    return static_cast<CRegkeyExtension*>(pFolder);
}

// The owner window for dialogs and message boxes; none when it has gone.
HWND LiveWindow(HWND hwnd) noexcept { return ::IsWindow(hwnd) ? hwnd : nullptr; }
} // namespace

CRegUIObject::CRegUIObject(CNameSpaceExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                           LPCITEMIDLIST pidlFolder, HWND hwndOwner) noexcept
    : CShellUIObject(pFolder, cidl, apidl, pidlFolder, hwndOwner)
{
}

HWND CRegUIObject::CommandOwner() const noexcept
{
    if (const HWND hwnd = LiveWindow(m_hwndInvoke))
        return hwnd;
    if (const HWND hwnd = LiveWindow(GetOwnerWindow()))
        return hwnd;
    // The window the items' folder made its view for.
    if (const HWND hwnd = GetFolder() ? LiveWindow(GetFolder()->GetOwnerWindow()) : nullptr)
        return hwnd;
    // Hosts that give neither (Wine's view) still have the window the user clicked in active:
    // a dialog owned by it stays in front of it and blocks it, as a command's dialog should.
    return ::GetActiveWindow();
}

CRegkeyExtension* CRegUIObject::RegFolder() const noexcept { return AsRegFolder(GetFolder()); }

std::vector<LPCITEMIDLIST> CRegUIObject::ItemLists() const
{
    std::vector<LPCITEMIDLIST> items;
    for (UINT i = 0; i < GetItemCount(); ++i)
        items.push_back(GetItem(i));
    return items;
}

bool CRegUIObject::ItemRecord(UINT i, REGITEM* pItem) const noexcept
{
    const BYTE* pData = ItemData(i);
    if (!pData || !HasRegItemSignature(pData))
        return false;
    *pItem = ReadRegItem(pData);
    return true;
}

template <typename Fn>
BOOL CRegUIObject::OnSelectedKeyFolder(Fn fn) noexcept
{
    REGITEM item;
    if (GetItemCount() != 1 || !ItemRecord(0, &item) || item.dwKind != REGITEM_KEY || !GetFolder())
        return FALSE;
    const CmdTargetPtr<CNameSpaceExtension> pSub = GetFolder()->GetSubFolder(ItemData(0));
    CRegkeyExtension* pKeyFolder = AsRegFolder(pSub.get());
    return pKeyFolder ? fn(*pKeyFolder) : FALSE;
}

// ---- the commands -----------------------------------------------------------------------------

BOOL CRegUIObject::OnEdit() noexcept
{
    REGITEM item;
    CRegkeyExtension* pFolder = RegFolder();
    if (!pFolder || GetItemCount() != 1 || !ItemRecord(0, &item) || item.dwKind == REGITEM_KEY)
        return FALSE;
    return EditValue(*pFolder, item, CommandOwner());
}

BOOL CRegUIObject::OnExport() noexcept
{
    CRegkeyExtension* pFolder = RegFolder();
    if (!pFolder || !pFolder->GetServices().pfnExportItems || GetItemCount() == 0)
        return FALSE;
    try
    {
        const std::vector<LPCITEMIDLIST> items = ItemLists();
        return pFolder->GetServices().pfnExportItems(pFolder, GetItemCount(), const_cast<LPCITEMIDLIST*>(items.data()),
                                                     CommandOwner());
    }
    CATCH_RETURN(FALSE)
}

BOOL CRegUIObject::OnFind() noexcept
{
    CRegkeyExtension* pFolder = RegFolder();
    if (!pFolder)
        return FALSE;
    try
    {
        const std::vector<LPCITEMIDLIST> items = ItemLists();
        // The registry root searches everything, whatever is selected.
        return pFolder->FindItems(GetItemCount(), items.empty() ? nullptr : const_cast<LPCITEMIDLIST*>(items.data()),
                                  CommandOwner());
    }
    CATCH_RETURN(FALSE)
}

BOOL CRegUIObject::OnNewKey() noexcept
{
    return OnSelectedKeyFolder([](CRegkeyExtension& folder) { return CreateNewKey(folder); });
}

BOOL CRegUIObject::OnNewValue(DWORD dwType) noexcept
{
    return OnSelectedKeyFolder(
        [dwType](CRegkeyExtension& folder) { return CreateNewValue(folder, dwType); });
}

BOOL CRegUIObject::OnSecurity() noexcept
{
    const HWND hwndOwner = CommandOwner();
    return OnSelectedKeyFolder(
        [hwndOwner](CRegkeyExtension& folder) { return folder.EditKeySecurity(hwndOwner); });
}

BOOL CRegUIObject::OnCopyKeyName(BOOL bFull) noexcept
{
    REGITEM item;
    if (!ItemRecord(0, &item))
        return FALSE;
    try
    {
        CString text = item.szName;
        // Each folder with a parent puts its own name in front; the registry root adds nothing.
        for (CNameSpaceExtension* pFolder = bFull ? GetFolder() : nullptr;
             pFolder && pFolder->GetParent(); pFolder = pFolder->GetParent())
            text = pFolder->GetItemName(nullptr, 0) + "\\" + text;
        PutTextOnClipboard(text);
        return TRUE;
    }
    CATCH_RETURN(FALSE)
}

BOOL CRegUIObject::OnDelete() noexcept
{
    CRegkeyExtension* pFolder = RegFolder();
    if (!pFolder || GetItemCount() == 0)
        return FALSE;
    try
    {
        const std::vector<LPCITEMIDLIST> items = ItemLists();
        return pFolder->DeleteItems(GetItemCount(), const_cast<LPCITEMIDLIST*>(items.data()));
    }
    CATCH_RETURN(FALSE)
}

// The product's final class binds these to the installation floor.
BOOL CRegUIObject::OnAbout() noexcept { return FALSE; }
BOOL CRegUIObject::OnUninstall() noexcept { return FALSE; }
BOOL CRegUIObject::MoveFolder(DWORD) noexcept { return FALSE; }
DWORD CRegUIObject::ReadPlacementType() noexcept { return 0; }

} // namespace corvasin
