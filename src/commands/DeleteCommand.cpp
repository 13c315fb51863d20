// Delete: one question per item, a backup, the registry's delete, then the notification.
#include "commands/ChangeCommands.h"

#include "commands/ItemChanges.h"
#include "core/MessageBox.h"
#include "framework/ItemIdList.h"
#include "registry/KeyOperations.h"
#include "registry/RegkeyExtension.h"

#include <cstdio>
#include <string>

namespace corvasin
{

namespace
{
bool ConfirmDelete(HWND hwndOwner, const REGITEM& item) noexcept
{
    char szText[sizeof(item.szName) + 96];
    std::snprintf(szText, sizeof(szText),
                  item.dwKind == REGITEM_KEY
                      ? "Are you sure you want to delete the key %s and all of its content?"
                      : "Are you sure you want to delete the value %s?",
                  item.szName);
    return AppMessageBox(hwndOwner, szText, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

HRESULT DeleteOne(CRegkeyExtension& folder, const REGITEM& item, HWND hwndOwner) noexcept
{
    std::wstring name;
    if (!folder.FindRealName(item, name))
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    if (!ConfirmDelete(hwndOwner, item))
        return S_FALSE;
    (void)BackUpItem(folder, item, "delete");
    if (item.dwKind == REGITEM_KEY)
    {
        const HRESULT hr = DeleteKeyTree(folder.GetOpenKey(), name.c_str());
        if (SUCCEEDED(hr))
            NotifyItemChange(folder, SHCNE_RMDIR, item);
        return hr;
    }
    const HRESULT hr =
        DeleteValueW(folder.GetOpenKey(), item.dwKind == REGITEM_DEFAULT ? nullptr : name.c_str());
    if (SUCCEEDED(hr))
        NotifyItemChange(folder, SHCNE_DELETE, item);
    return hr;
}
} // namespace

HRESULT DeleteItems(CRegkeyExtension& folder, std::span<const LPCITEMIDLIST> items,
                    HWND hwndOwner) noexcept
{
    if (folder.IsRegistryRoot())
        return E_ACCESSDENIED;
    HRESULT hrFirst = S_OK;
    for (LPCITEMIDLIST pidl : items)
    {
        const BYTE* pData = ItemIdData(pidl, sizeof(REGITEM), true);
        const HRESULT hr = pData && HasRegItemSignature(pData)
                               ? DeleteOne(folder, ReadRegItem(pData), hwndOwner)
                               : E_INVALIDARG;
        if (FAILED(hr) && SUCCEEDED(hrFirst))
            hrFirst = hr;
    }
    return hrFirst;
}

} // namespace corvasin
