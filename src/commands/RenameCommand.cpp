// Rename in place: the name's rules, a backup, the registry's rename, the record's new name.
// The shell sends its own notification of a rename made in place.
#include "commands/ChangeCommands.h"

#include "commands/ItemChanges.h"
#include "registry/KeyOperations.h"
#include "registry/RegkeyExtension.h"

#include <cstring>
#include <string>

namespace corvasin
{

HRESULT RenameItem(CRegkeyExtension& folder, REGITEM& item, const CString& newName) noexcept
{
    if (!folder.GetOpenKey())
        return HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
    if (!IsUsableItemName(newName))
        return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    std::wstring name;
    if (!folder.FindRealName(item, name))
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    (void)BackUpItem(folder, item, "rename");
    const HRESULT hr =
        item.dwKind == REGITEM_KEY
            ? RenameEmptyKey(folder.GetOpenKey(), name.c_str(), newName)
            : RenameValue(folder.GetOpenKey(), item.dwKind == REGITEM_DEFAULT ? nullptr : name.c_str(),
                          newName);
    if (FAILED(hr))
        return hr;
    // The new name was typed in the code page: the record holds it whole.
    item.dwIndex &= kRegItemIndexMask;
    memset(item.szName, 0, sizeof(item.szName));
    memcpy(item.szName, newName.data(), newName.size());
    if (item.dwKind == REGITEM_DEFAULT)
        item.dwKind = REGITEM_VALUE;
    return S_OK;
}

} // namespace corvasin
