// The rows of the registry commands and their handlers.
#include "commands/CommandTable.h"

#include "commands/ChangeCommands.h"
#include "commands/CompareCommand.h"
#include "commands/EditValue.h"
#include "commands/ExportCommand.h"
#include "commands/KeySecurityInfo.h"
#include "core/Result.h"
#include "framework/ItemIdList.h"
#include "framework/TextDataObject.h"
#include "registry/RegServices.h"
#include "registry/RegkeyExtension.h"
#include "search/FindThread.h"

#include <cstring>

namespace corvasin
{

namespace
{
HRESULT FromBool(BOOL bDone) noexcept { return bDone ? S_OK : S_FALSE; }

// The items as the shell's array type, which the export and the search only read; null when
// there are none.
LPCITEMIDLIST* ArrayOf(std::span<const LPCITEMIDLIST> items) noexcept
{
    return items.empty() ? nullptr : const_cast<LPCITEMIDLIST*>(items.data());
}

// The record of item i of the call, or false.
bool ItemRecord(const CommandCall& call, size_t i, REGITEM* pItem) noexcept
{
    const BYTE* pData = i < call.items.size() ? ItemIdData(call.items[i], sizeof(REGITEM), true) : nullptr;
    if (!pData || !HasRegItemSignature(pData))
        return false;
    *pItem = ReadRegItem(pData);
    return true;
}

// Runs fn on the folder object of the single selected key.
template <typename Fn>
HRESULT OnSelectedKeyFolder(const CommandCall& call, Fn fn) noexcept
{
    REGITEM item;
    if (!call.pFolder || call.items.size() != 1 || !ItemRecord(call, 0, &item) ||
        item.dwKind != REGITEM_KEY)
        return E_INVALIDARG;
    const CmdTargetPtr<CRegkeyExtension> pKeyFolder = call.pFolder->GetKeySubFolder(item);
    return pKeyFolder ? fn(*pKeyFolder) : E_FAIL;
}

HRESULT RunEdit(const CommandCall& call) noexcept
{
    REGITEM item;
    if (!call.pFolder || call.items.size() != 1 || !ItemRecord(call, 0, &item) ||
        item.dwKind == REGITEM_KEY)
        return E_INVALIDARG;
    return FromBool(EditValue(*call.pFolder, item, call.hwndOwner));
}

HRESULT RunExport(const CommandCall& call) noexcept
{
    if (!call.pFolder || (call.items.empty() && !call.bFromView))
        return E_INVALIDARG;
    if (call.items.empty())
        return FromBool(ExportKey(call.pFolder, call.hwndOwner));
    return FromBool(ExportItems(call.pFolder, static_cast<UINT>(call.items.size()),
                                ArrayOf(call.items), call.hwndOwner));
}

HRESULT RunFind(const CommandCall& call) noexcept
{
    if (!call.pFolder)
        return E_INVALIDARG;
    // The registry root searches everything, whatever is selected.
    const std::span<const LPCITEMIDLIST> items =
        call.pFolder->IsRegistryRoot() ? std::span<const LPCITEMIDLIST>() : call.items;
    return FindRegistryItems(call.pFolder, static_cast<UINT>(items.size()), ArrayOf(items),
                             call.hwndOwner)
               ? S_OK
               : E_FAIL;
}

HRESULT RunNewKey(const CommandCall& call) noexcept
{
    return OnSelectedKeyFolder(call, [](CRegkeyExtension& folder) { return CreateNewKey(folder); });
}

HRESULT RunNewValue(const CommandCall& call) noexcept
{
    return OnSelectedKeyFolder(
        call, [&call](CRegkeyExtension& folder) { return CreateNewValue(folder, call.dwParam); });
}

HRESULT RunSecurity(const CommandCall& call) noexcept
{
    return OnSelectedKeyFolder(
        call, [&call](CRegkeyExtension& folder) { return EditKeySecurity(folder, call.hwndOwner); });
}

// The key's name, or with dwParam its full name: each folder with a parent puts its own name in
// front; the registry root adds nothing.
HRESULT RunCopyKeyName(const CommandCall& call) noexcept
{
    REGITEM item;
    if (!ItemRecord(call, 0, &item))
        return E_INVALIDARG;
    try
    {
        CString text = item.szName;
        for (CNameSpaceExtension* pFolder = call.dwParam ? call.pFolder : nullptr;
             pFolder && pFolder->GetParent(); pFolder = pFolder->GetParent())
            text = pFolder->GetItemName(nullptr, 0) + "\\" + text;
        PutTextOnClipboard(text);
        return S_OK;
    }
    CATCH_RETURN(E_OUTOFMEMORY)
}

HRESULT RunCompare(const CommandCall& call) noexcept
{
    return call.pFolder ? CompareKeys(*call.pFolder, call.items) : E_INVALIDARG;
}

HRESULT RunMove(const CommandCall& call) noexcept
{
    return FromBool(call.services.MoveFolder(call.hwndOwner, call.dwParam));
}

HRESULT RunAbout(const CommandCall& call) noexcept { return FromBool(call.services.OpenAboutPage()); }

HRESULT RunUninstall(const CommandCall& call) noexcept { return FromBool(call.services.Uninstall()); }

constexpr UINT kPlacementFolder = 3; // always offered: another folder can always be picked

// In menu order: the selection's menu, the icon's menu and each submenu list their rows in the
// order they appear here.
constexpr CommandRow c_rows[] = {
    {kRegEdit, "edit", "Edit", nullptr, kInItemMenu | kIsDefault, Shown::OneValue, 0, &RunEdit},
    {kRegExport, "export", "Export", "Export to disk", kInItemMenu | kOnToolbar, Shown::Always, 0,
     &RunExport},
    {kRegFind, nullptr, "Find...", nullptr, kInItemMenu | kInIconMenu, Shown::FirstIsKey, 0, &RunFind},
    {kRegCopyKeyName, nullptr, "Copy key name", nullptr, kInItemMenu | kAtMenuTop, Shown::OneKey, 0,
     &RunCopyKeyName},
    {kRegCopyFullKeyName, nullptr, "Copy full key name", nullptr, kInItemMenu | kAtMenuTop,
     Shown::OneKey, 1, &RunCopyKeyName},
    {kRegNewMenu, nullptr, "New", nullptr, kInItemMenu, Shown::OneKey, kInNewMenu, nullptr},
    {kRegNewKey, nullptr, "Key", nullptr, kInNewMenu, Shown::Always, 0, &RunNewKey},
    {kRegNewString, nullptr, "String value", nullptr, kInNewMenu, Shown::Always, REG_SZ, &RunNewValue},
    {kRegNewDword, nullptr, "DWORD value", nullptr, kInNewMenu, Shown::Always, REG_DWORD, &RunNewValue},
    {kRegNewBinary, nullptr, "Binary value", nullptr, kInNewMenu, Shown::Always, REG_BINARY,
     &RunNewValue},
    {kRegNewMultiSz, nullptr, "MultiSz value", nullptr, kInNewMenu, Shown::Always, REG_MULTI_SZ,
     &RunNewValue},
    {kRegSecurity, nullptr, "Security...", nullptr, kInItemMenu, Shown::OneKey, 0, &RunSecurity},
    {kRegCompare, "compare", "Compare", nullptr, kInItemMenu, Shown::TwoKeys, 0, &RunCompare},
    {kRegMoveMenu, nullptr, "Move to", nullptr, kInIconMenu, Shown::Always, kInMoveMenu, nullptr},
    {kRegMoveDesktop, nullptr, "Desktop", nullptr, kInMoveMenu, Shown::NotCurrentPlacement, 0, &RunMove},
    {kRegMoveMyComputer, nullptr, "My Computer", nullptr, kInMoveMenu, Shown::NotCurrentPlacement, 1,
     &RunMove},
    {kRegMoveControlPanel, nullptr, "Control Panel", nullptr, kInMoveMenu, Shown::NotCurrentPlacement,
     2, &RunMove},
    {kRegMoveFolder, nullptr, "Select folder...", nullptr, kInMoveMenu, Shown::Always,
     kPlacementFolder, &RunMove},
    {kRegAbout, nullptr, "About Corvasin", nullptr, kInIconMenu, Shown::Always, 0, &RunAbout},
    {kRegUninstall, nullptr, "Uninstall", nullptr, kInIconMenu, Shown::Always, 0, &RunUninstall},
};
} // namespace

std::span<const CommandRow> CommandRows() noexcept { return c_rows; }

const CommandRow* FindCommand(UINT offset) noexcept
{
    for (const CommandRow& row : c_rows)
    {
        if (row.offset == offset)
            return &row;
    }
    return nullptr;
}

const CommandRow* FindCommandByVerb(const char* pszVerb) noexcept
{
    for (const CommandRow& row : c_rows)
    {
        if (pszVerb && row.pszVerb && strcmp(row.pszVerb, pszVerb) == 0)
            return &row;
    }
    return nullptr;
}

bool IsShown(const CommandRow& row, const MenuFacts& facts) noexcept
{
    switch (row.shown)
    {
    case Shown::OneValue:
        return facts.cItems == 1 && facts.bFirstIsValue;
    case Shown::FirstIsKey:
        // The icon's menu always searches: there the row stands for the whole registry.
        return facts.cItems == 0 || facts.bFirstIsKey;
    case Shown::OneKey:
        return facts.cItems == 1 && facts.bFirstIsKey;
    case Shown::TwoKeys:
        return facts.cItems == 2 && facts.bAllKeys;
    case Shown::NotCurrentPlacement:
        return row.dwParam != facts.dwPlacement;
    case Shown::Always:
    default:
        return true;
    }
}

} // namespace corvasin
