// The registry UI object: its folder, its items and the owner of its commands' windows.
#include "commands/RegUIObject.h"

#include "commands/ChangeCommands.h"
#include "core/Result.h"
#include "registry/RegServices.h"
#include "registry/RegkeyExtension.h"

namespace corvasin
{

namespace
{
// The owner window for dialogs and message boxes; none when it has gone.
HWND LiveWindow(HWND hwnd) noexcept { return ::IsWindow(hwnd) ? hwnd : nullptr; }
} // namespace

CRegUIObject::CRegUIObject(const CRegServices& services, CNameSpaceExtension* pFolder, UINT cidl,
                           LPCITEMIDLIST* apidl, LPCITEMIDLIST pidlFolder, HWND hwndOwner) noexcept
    : CShellUIObject(pFolder, cidl, apidl, pidlFolder, hwndOwner), m_services(services)
{
}

const CLSID& CRegUIObject::GetClassID() noexcept { return m_services.UIObjectClassId(); }

CNameSpaceExtension* CRegUIObject::GetDefaultFolder() noexcept { return m_services.DefaultFolder(); }

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

CRegkeyExtension* CRegUIObject::RegFolder() const noexcept
{
    // Every folder of this namespace answers IRegFolder; a foreign folder (a host's) does not.
    CNameSpaceExtension* pFolder = GetFolder();
    if (!pFolder || !pFolder->GetInterface(IID_IRegFolder))
        return nullptr;
    return static_cast<CRegkeyExtension*>(pFolder);
}

std::vector<LPCITEMIDLIST> CRegUIObject::ItemLists() const
{
    std::vector<LPCITEMIDLIST> items;
    for (UINT i = 0; i < GetItemCount(); ++i)
        items.push_back(GetItem(i));
    return items;
}

MenuFacts CRegUIObject::Facts() const noexcept
{
    MenuFacts facts;
    facts.cItems = GetItemCount();
    const BYTE* pData = ItemData(0);
    if (pData && HasRegItemSignature(pData))
    {
        // Every kind but a key (a named value, "(default)") counts as a value.
        facts.bFirstIsKey = ReadRegItem(pData).dwKind == REGITEM_KEY;
        facts.bFirstIsValue = !facts.bFirstIsKey;
    }
    facts.bAllKeys = facts.cItems > 0;
    for (UINT i = 0; i < facts.cItems && facts.bAllKeys; ++i)
    {
        const BYTE* pItem = ItemData(i);
        facts.bAllKeys = pItem && HasRegItemSignature(pItem) && ReadRegItem(pItem).dwKind == REGITEM_KEY;
    }
    return facts;
}

BOOL CRegUIObject::RunCommand(const CommandRow& row) noexcept
{
    if (!row.pfnRun)
        return FALSE;
    try
    {
        const std::vector<LPCITEMIDLIST> items = ItemLists();
        const CommandCall call{m_services, RegFolder(), items, CommandOwner(), row.dwParam};
        return row.pfnRun(call) == S_OK;
    }
    CATCH_RETURN(FALSE)
}

BOOL CRegUIObject::OnDelete() noexcept
{
    CRegkeyExtension* pFolder = RegFolder();
    if (!pFolder || GetItemCount() == 0)
        return FALSE;
    // The predefined keys are never deleted.
    if (pFolder->IsRegistryRoot())
        return FALSE;
    // Success whatever became of each item, as the folder's delete answers: the user was asked
    // about each one, and nothing else is shown.
    try
    {
        const std::vector<LPCITEMIDLIST> items = ItemLists();
        (void)DeleteItems(*pFolder, items, CommandOwner());
        return TRUE;
    }
    CATCH_RETURN(FALSE)
}

} // namespace corvasin
