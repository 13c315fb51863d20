// Paste and drop: the keys and values a registry data object names are copied into the folder's
// key, by their real names and byte for byte, after a backup of what the copies will replace.
#include "commands/ChangeCommands.h"

#include "commands/ItemChanges.h"
#include "core/Handles.h"
#include "core/Result.h"
#include "framework/ItemIdList.h"
#include "registry/ChangeBackup.h"
#include "registry/KeyOperations.h"
#include "registry/PredefinedKeys.h"
#include "registry/RegKeyPayload.h"
#include "registry/RegistryAccess.h"
#include "registry/RegkeyExtension.h"

#include <string>
#include <utility>
#include <vector>

namespace corvasin
{

namespace
{
// The record of an item id, whatever its form; null for an id that holds none of ours.
const BYTE* RecordOf(LPCITEMIDLIST pidl) noexcept
{
    const BYTE* pData = ItemIdData(pidl, sizeof(REGITEM), true);
    return pData && HasRegItemSignature(pData) ? pData : nullptr;
}

// The predefined key and the path below it that an absolute registry id list names; false
// for a list that names no registry key.
bool KeyPathOf(LPCITEMIDLIST pidl, DWORD* pdwRoot, CString* pPath)
{
    LPCITEMIDLIST p = pidl;
    for (; p; p = NextItemId(p))
    {
        if (RecordOf(p))
            break;
    }
    if (!p)
        return false;
    *pdwRoot = ReadRegItem(RecordOf(p)).dwIndex;
    pPath->clear();
    for (p = NextItemId(p); p; p = NextItemId(p))
    {
        const BYTE* pData = RecordOf(p);
        if (!pData)
            return false;
        if (!pPath->empty())
            *pPath += '\\';
        *pPath += ReadRegItem(pData).szName;
    }
    return true;
}

using NamedItems = std::vector<std::pair<REGITEM, std::wstring>>;

// Each item by the real name of its entry in the source; one that cannot be found for certain
// is left out.
NamedItems FindSourceItems(HKEY hSource, const RegKeyPayload& payload)
{
    NamedItems items;
    items.reserve(payload.items.size());
    for (LPCITEMIDLIST pidlItem : payload.items)
    {
        const BYTE* pData = RecordOf(pidlItem);
        std::wstring name;
        if (pData && FindItemRealName(hSource, ReadRegItem(pData), name))
        {
            REGITEM item = ReadRegItem(pData);
            // In this folder the copy is listed afresh; its record must not point at an
            // index of the source.
            item.dwIndex &= kRegItemIndexMask;
            items.emplace_back(item, std::move(name));
        }
    }
    return items;
}

// What the copies will replace: values of the same names, and keys merged into.
void BackUpTargets(const CRegkeyExtension& folder, const NamedItems& items) noexcept
{
    CChangeBackup backup(folder.GetRootKey(), folder.GetKeyPath(), folder.GetRealKeyPath(),
                         "paste", "");
    for (const auto& [item, name] : items)
    {
        const wchar_t* pszName = item.dwKind == REGITEM_DEFAULT ? nullptr : name.c_str();
        if (item.dwKind != REGITEM_KEY)
        {
            if (ValueExistsW(folder.GetOpenKey(), pszName))
                backup.AddValue(pszName);
            continue;
        }
        UniqueHkey hTargetKey;
        if (OpenRegKeyW(folder.GetOpenKey(), pszName, KEY_QUERY_VALUE, hTargetKey.put()) == ERROR_SUCCESS)
            backup.AddKeyTree(pszName);
    }
    (void)backup.Write();
}
} // namespace

HRESULT PasteItems(CRegkeyExtension& folder, IDataObject* pDataObject, UINT cf) noexcept
{
    if (!pDataObject || cf == 0)
        return DV_E_FORMATETC;
    FORMATETC fe = {static_cast<CLIPFORMAT>(cf), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    UniqueStgMedium medium;
    if (FAILED(pDataObject->GetData(&fe, medium.put())) || medium.get().tymed != TYMED_HGLOBAL ||
        !medium.get().hGlobal)
        return DV_E_FORMATETC;
    // The registry root holds no key: nothing is copied there.
    if (!folder.GetOpenKey())
        return S_FALSE;
    try
    {
        GlobalLock block(medium.get().hGlobal);
        RegKeyPayload payload;
        if (!block.get() ||
            !ReadRegKeyPayload(block.as<BYTE>(), ::GlobalSize(medium.get().hGlobal), payload) ||
            !payload.pidlFolder)
            return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

        DWORD dwSourceRoot = 0;
        CString sourcePath;
        const bool bSourceKnown = KeyPathOf(payload.pidlFolder, &dwSourceRoot, &sourcePath);
        const UniqueHkey hSource(ResolveItemIdList(payload.pidlFolder));
        if (!hSource)
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        const NamedItems items = FindSourceItems(hSource.get(), payload);
        if (items.empty())
            return S_FALSE;
        BackUpTargets(folder, items);

        HRESULT hrFirst = S_OK;
        for (const auto& [item, name] : items)
        {
            HRESULT hr = S_OK;
            if (item.dwKind != REGITEM_KEY)
            {
                hr = CopyValue(folder.GetOpenKey(), hSource.get(),
                               item.dwKind == REGITEM_DEFAULT ? nullptr : name.c_str());
                if (SUCCEEDED(hr))
                    NotifyItemChange(folder, SHCNE_CREATE, item);
            }
            else
            {
                // A key dropped on itself or on a key below it would be copied into itself.
                const CString itemPath =
                    sourcePath.empty() ? CString(item.szName) : sourcePath + "\\" + item.szName;
                if (!bSourceKnown || (PredefinedKeyFromField(dwSourceRoot) == folder.GetRootKey() &&
                                      IsSameOrBelowKeyPath(itemPath, folder.GetKeyPath())))
                    hr = HRESULT_FROM_WIN32(ERROR_CIRCULAR_DEPENDENCY);
                else if (SUCCEEDED(hr = CopyKeyTree(folder.GetOpenKey(), hSource.get(), name.c_str())))
                    NotifyItemChange(folder, SHCNE_MKDIR, item);
            }
            if (FAILED(hr) && SUCCEEDED(hrFirst))
                hrFirst = hr;
        }
        return hrFirst;
    }
    CATCH_RETURN(E_OUTOFMEMORY)
}

} // namespace corvasin
