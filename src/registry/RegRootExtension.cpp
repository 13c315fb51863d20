// The registry root folder: lists the predefined keys and parses location texts that start with
// one of them.
#include "registry/RegRootExtension.h"

#include "core/Result.h"
#include "registry/LocationText.h"
#include "registry/PredefinedKeys.h"

#include <cwchar>

namespace corvasin
{

namespace
{
REGITEM RootItem(const PredefinedKey& key, DWORD dwValueType) noexcept
{
    return MakeRegItem(REGITEM_KEY, PredefinedKeyField(key.hKey), key.pszLongName, dwValueType);
}
bool IsPredefinedKeyName(std::wstring_view name)
{
    return !name.empty() &&
           FindPredefinedKeyByName(WideToAnsi(name.data(), static_cast<int>(name.size())).c_str());
}

// The first component must name a predefined key, by its long or short name.
bool RootItemFromComponent(const std::wstring& component, REGITEM* pItem)
{
    if (component.empty())
        return false;
    const PredefinedKey* pKey = FindPredefinedKeyByName(
        WideToAnsi(component.c_str(), static_cast<int>(component.size())).c_str());
    if (!pKey)
        return false;
    *pItem = RootItem(*pKey, 0);
    return true;
}
} // namespace

CRegRootExtension::CRegRootExtension(const CRegServices* pServices) noexcept
    : CRegkeyExtension(nullptr, nullptr, "", pServices)
{
}

// The predefined keys are listed whatever the shell's flags; the cursor holds the handle value
// of the key delivered last.
BOOL CRegRootExtension::GetFirstItem(void* pItem, DWORD* pdwContext, DWORD) noexcept
{
    const PredefinedKey* pKey = PredefinedKeyAt(0);
    *static_cast<REGITEM*>(pItem) = RootItem(*pKey, 0);
    *pdwContext = PredefinedKeyField(pKey->hKey);
    return TRUE;
}

BOOL CRegRootExtension::GetNextItem(const void*, void* pItem, DWORD* pdwContext, DWORD) noexcept
{
    for (UINT n = 0; n + 1 < kPredefinedKeyCount; ++n)
    {
        if (PredefinedKeyField(PredefinedKeyAt(n)->hKey) != *pdwContext)
            continue;
        const PredefinedKey* pNext = PredefinedKeyAt(n + 1);
        *static_cast<REGITEM*>(pItem) = RootItem(*pNext, REG_SZ);
        *pdwContext = PredefinedKeyField(pNext->hKey);
        return TRUE;
    }
    return FALSE;
}

CNameSpaceExtension* CRegRootExtension::CreateSubFolder(const void* pItem) noexcept
{
    if (!pItem)
        return nullptr;
    const REGITEM item = ReadRegItem(pItem);
    if (item.dwKind != REGITEM_KEY)
        return nullptr;
    const HKEY hRoot = PredefinedKeyFromField(item.dwIndex);
    if (!hRoot)
        return nullptr;
    return new (std::nothrow) CRegkeyExtension(this, hRoot, "", &GetServices());
}

int CRegRootExtension::GetIconIndex(const void* pItem, UINT uFlags, UINT*) noexcept
{
    return pItem ? 1 + static_cast<int>(uFlags & GIL_OPENICON) : 0;
}

CString CRegRootExtension::GetColumnText(const void* pItem, int iColumn) noexcept
{
    if (iColumn == -1)
    {
        if (!pItem)
            return c_pszRegistryDescription;
        const PredefinedKey* pKey = FindPredefinedKey(PredefinedKeyFromField(ReadRegItem(pItem).dwIndex));
        if (pKey && pKey->pszDescription)
            return pKey->pszDescription;
    }
    return CRegkeyExtension::GetColumnText(pItem, iColumn);
}

HRESULT CRegRootExtension::ParseDisplayName(HWND hwnd, LPBC, LPOLESTR pszDisplayName,
                                            ULONG* pchEaten, LPITEMIDLIST* ppidl,
                                            ULONG* pdwAttributes) noexcept
{
    const HRESULT hr = ParseLocation(pszDisplayName, true, &RootItemFromComponent, hwnd, pchEaten,
                                     ppidl, pdwAttributes);
    if (hr != E_INVALIDARG || !pszDisplayName)
        return hr;
    // Paths as other tools write them; what parses as it stands is never rewritten.
    try
    {
        std::optional<std::wstring> rewritten =
            RewriteForeignLocation(pszDisplayName, &IsPredefinedKeyName);
        if (!rewritten)
            return hr;
        const HRESULT hrRewritten = ParseLocation(rewritten->data(), true, &RootItemFromComponent,
                                                  hwnd, pchEaten, ppidl, pdwAttributes);
        if (SUCCEEDED(hrRewritten) && pchEaten)
            *pchEaten = static_cast<ULONG>(wcslen(pszDisplayName));
        return hrRewritten;
    }
    CATCH_RETURN(E_OUTOFMEMORY)
}

// Predefined keys are never deleted.
BOOL CRegRootExtension::DeleteItems(UINT, LPCITEMIDLIST*) noexcept { return FALSE; }

} // namespace corvasin
