// Registry item records.
#include "registry/RegItem.h"
#include "core/Handles.h"
#include "core/Result.h"
#include "core/Strings.h"

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

bool IsLossyItem(const REGITEM& item) noexcept
{
    return (item.dwKind == REGITEM_KEY || item.dwKind == REGITEM_VALUE) &&
           (item.dwIndex & kRegItemLossyName) != 0 && (item.dwIndex & 0x80000000) == 0;
}

bool MakeListedItem(DWORD dwKind, DWORD dwIndex, const std::wstring& name, DWORD dwValueType,
                    REGITEM* pItem) noexcept
{
    REGITEM item = MakeRegItem(dwKind, dwIndex & kRegItemIndexMask, nullptr, dwValueType);
    bool bLossy = false;
    if (!NameToItemText(name, item.szName, kRegItemNameSize, &bLossy))
        return false;
    if (bLossy)
        item.dwIndex |= kRegItemLossyName;
    *pItem = item;
    return true;
}

namespace
{
bool ReadEntryName(HKEY hKey, bool bKey, DWORD dwIndex, std::wstring& name) noexcept
{
    return bKey ? ReadSubkeyNameW(hKey, dwIndex, name) : ReadValueNameW(hKey, dwIndex, name);
}

// Whether a real name is lossy and gives the item's text.
bool GivesLossyText(const std::wstring& name, const REGITEM& item) noexcept
{
    char szText[kRegItemNameSize];
    bool bLossy = false;
    return NameToItemText(name, szText, kRegItemNameSize, &bLossy) && bLossy &&
           strcmp(szText, item.szName) == 0;
}
} // namespace

bool FindItemRealName(HKEY hKey, const REGITEM& item, std::wstring& name) noexcept
{
    if (item.dwKind == REGITEM_DEFAULT)
    {
        name.clear();
        return true;
    }
    if (item.dwKind != REGITEM_KEY && item.dwKind != REGITEM_VALUE)
        return false;
    try
    {
        if (!IsLossyItem(item))
        {
            name = AnsiToWide(item.szName);
            return !name.empty();
        }
        if (!hKey)
            return false;
        const bool bKey = item.dwKind == REGITEM_KEY;
        std::wstring found;
        if (ReadEntryName(hKey, bKey, item.dwIndex & kRegItemIndexMask, found) &&
            GivesLossyText(found, item))
        {
            name = std::move(found);
            return true;
        }
        // The entries moved since the listing: only a single entry with that text will do.
        DWORD cSubkeys = 0;
        DWORD cValues = 0;
        if (!ReadKeyCounts(hKey, &cSubkeys, &cValues))
            return false;
        const DWORD cEntries = bKey ? cSubkeys : cValues;
        int cFound = 0;
        for (DWORD i = 0; i < cEntries && cFound < 2; ++i)
        {
            std::wstring candidate;
            if (ReadEntryName(hKey, bKey, i, candidate) && GivesLossyText(candidate, item))
            {
                found = std::move(candidate);
                ++cFound;
            }
        }
        if (cFound != 1)
            return false;
        name = std::move(found);
        return true;
    }
    CATCH_RETURN(false)
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
    const int nOrder = _mbsicmp(reinterpret_cast<const unsigned char*>(item1.szName),
                                reinterpret_cast<const unsigned char*>(item2.szName));
    if (nOrder != 0)
        return nOrder;
    // The same text may name different entries when characters were lost: a lossy item is
    // never the entry whose real name is its text, nor a lossy one listed elsewhere.
    const bool bLossy1 = IsLossyItem(item1);
    const bool bLossy2 = IsLossyItem(item2);
    if (bLossy1 != bLossy2)
        return bLossy1 ? 1 : -1;
    if (!bLossy1)
        return 0;
    const DWORD dwIndex1 = item1.dwIndex & kRegItemIndexMask;
    const DWORD dwIndex2 = item2.dwIndex & kRegItemIndexMask;
    return dwIndex1 < dwIndex2 ? -1 : (dwIndex1 > dwIndex2 ? 1 : 0);
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
    // Key by key, each opened by its real name below the one before: a lossy text never
    // reaches a sibling, and no path from the root grows past what the registry accepts.
    UniqueHkey hKey(hRoot); // a predefined key, which the owner never closes
    for (LPCITEMIDLIST p = NextItemId(pidlRoot); p; p = NextItemId(p))
    {
        const BYTE* pData = ItemIdData(p, sizeof(REGITEM), false);
        REGITEM step = pData ? ReadRegItem(pData) : REGITEM{};
        step.dwKind = REGITEM_KEY;
        std::wstring name;
        UniqueHkey hNext;
        if (!pData || !FindItemRealName(hKey.get(), step, name) ||
            OpenRegKeyW(hKey.get(), name.c_str(), MAXIMUM_ALLOWED, hNext.put()) != ERROR_SUCCESS)
            return nullptr;
        hKey = std::move(hNext);
    }
    return hKey.release(); // the caller closes it
}

} // namespace corvasin
