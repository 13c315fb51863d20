// Registry item records.
#include "registry/RegItem.h"
#include "core/Result.h"

#include "framework/ItemIdList.h"
#include "registry/PredefinedKeys.h"
#include "registry/RegistryAccess.h"

#include <mbstring.h>
#include <cstring>
#include <string>

namespace corvasin
{

REGITEM MakeRegItem(DWORD dwKind, DWORD dwIndex, const char* pszName, DWORD dwValueType) noexcept
{
    REGITEM item = {};
    item.dwSignature = kRegItemSignature;
    item.dwKind = dwKind;
    item.dwIndex = dwIndex;
    if (pszName)
        strncpy(item.szName, pszName, kRegItemNameSize - 1);
    item.dwValueType = dwValueType;
    return item;
}

bool HasRegItemSignature(const void* pData) noexcept
{
    if (!pData)
        return false;
    DWORD dwSignature;
    memcpy(&dwSignature, pData, sizeof(dwSignature));
    return dwSignature == kRegItemSignature;
}

REGITEM ReadRegItem(const void* pData) noexcept
{
    REGITEM item;
    memcpy(&item, pData, sizeof(item));
    item.szName[kRegItemNameSize - 1] = '\0';
    return item;
}

int CompareRegItems(const void* pData1, const void* pData2) noexcept
{
    const REGITEM item1 = ReadRegItem(pData1);
    const REGITEM item2 = ReadRegItem(pData2);
    const bool bKey1 = item1.dwKind == REGITEM_KEY;
    const bool bKey2 = item2.dwKind == REGITEM_KEY;
    if (bKey1 && !bKey2)
        return -1;
    if (bKey2 && !bKey1)
        return 1;
    return _mbsicmp(reinterpret_cast<const unsigned char*>(item1.szName),
                    reinterpret_cast<const unsigned char*>(item2.szName));
}

const char* RegValueName(const REGITEM& item) noexcept
{
    return item.dwKind == REGITEM_DEFAULT ? nullptr : item.szName;
}

HKEY ResolveItemIdList(LPCITEMIDLIST pidl) noexcept
{
    if (!pidl)
        return nullptr;
    LPCITEMIDLIST pidlRoot = nullptr;
    for (LPCITEMIDLIST p = pidl; p; p = NextItemId(p))
    {
        const BYTE* pData = ItemIdData(p, sizeof(REGITEM), false);
        if (pData && HasRegItemSignature(pData))
        {
            pidlRoot = p;
            break;
        }
    }
    if (!pidlRoot)
        return nullptr;
    const REGITEM root = ReadRegItem(ItemIdData(pidlRoot, sizeof(REGITEM), false));
    // Only a predefined key's handle value is taken: lists may come from another process, and
    // any other number could name a key this process has open (and the caller would close it).
    const HKEY hRoot = PredefinedKeyFromField(root.dwIndex);
    if (!hRoot)
        return nullptr;
    std::string path;
    try
    {
        for (LPCITEMIDLIST p = NextItemId(pidlRoot); p; p = NextItemId(p))
        {
            const BYTE* pData = ItemIdData(p, sizeof(REGITEM), false);
            if (!pData)
                return nullptr;
            if (!path.empty())
                path += '\\';
            path += ReadRegItem(pData).szName;
        }
    }
    CATCH_RETURN(nullptr)
    if (path.empty())
        return hRoot;
    HKEY hKey = nullptr;
    if (OpenRegKey(hRoot, path.c_str(), MAXIMUM_ALLOWED, &hKey) != ERROR_SUCCESS)
        return nullptr;
    return hKey;
}

} // namespace corvasin
