// New key and new value: created in the folder's key, announced, and handed to the view for
// renaming in place.
#include "commands/ChangeCommands.h"

#include "commands/ItemChanges.h"
#include "core/Result.h"
#include "framework/ItemIdList.h"
#include "registry/KeyOperations.h"
#include "registry/RegkeyExtension.h"

namespace corvasin
{

namespace
{
constexpr char kNewKeyName[] = "New Key";
constexpr char kNewValueName[] = "New Value";
constexpr DWORD kNewValueSize = 4;

void Announce(CRegkeyExtension& folder, LONG lEvent, const REGITEM& item) noexcept
{
    NotifyItemChange(folder, lEvent, item);
    UniquePidl pidl(MakeItemIdList(&item, sizeof(item)));
    folder.SetRenameItem(pidl.get());
}
} // namespace

HRESULT CreateNewKey(CRegkeyExtension& folder) noexcept
{
    const HRESULT hr = CreateOrOpenSubkey(folder.GetOpenKey(), kNewKeyName);
    if (FAILED(hr))
        return hr;
    Announce(folder, SHCNE_MKDIR, MakeRegItem(REGITEM_KEY, 0, kNewKeyName, 0));
    return S_OK;
}

HRESULT CreateNewValue(CRegkeyExtension& folder, DWORD dwType) noexcept
{
    try
    {
        const CString name = FreeValueName(folder.GetOpenKey(), kNewValueName);
        if (!IsUsableItemName(name))
            return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
        const HRESULT hr = WriteZeroValue(folder.GetOpenKey(), name.c_str(), dwType, kNewValueSize);
        if (FAILED(hr))
            return hr;
        Announce(folder, SHCNE_CREATE, MakeRegItem(REGITEM_VALUE, 0, name.c_str(), dwType));
        return S_OK;
    }
    CATCH_RETURN(E_OUTOFMEMORY)
}

} // namespace corvasin
