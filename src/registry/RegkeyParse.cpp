// Location text parsing of the key folder: the first component becomes a key item, the rest is
// handed to that key's folder. Nothing is looked up in the registry, so texts that name keys
// which do not exist still parse.
#include "registry/RegkeyExtension.h"

#include "framework/ItemIdList.h"
#include "core/Result.h"
#include "registry/LocationText.h"
#include "registry/RegistryAccess.h"

#include <cstring>
#include <cwchar>

namespace corvasin
{

namespace
{
// Nothing is looked up: a key that does not exist still parses.
bool KeyItemFromComponent(const std::wstring& component, REGITEM* pItem)
{
    *pItem = MakeRegItem(REGITEM_KEY, 0, nullptr);
    // A name that does not fit the record ends the parse here.
    return KeyComponentToName(component, pItem->szName, kRegItemNameSize);
}

// The key name a location component stands for, as KeyComponentToName makes it, in wide
// characters: up to a colon, "%20" as a blank.
std::wstring KeyComponentName(const std::wstring& component)
{
    std::wstring name = component.substr(0, component.find(L':'));
    for (size_t i = name.find(L"%20"); i != std::wstring::npos; i = name.find(L"%20", i + 1))
        name.replace(i, 3, L" ");
    return name;
}
} // namespace

bool CRegkeyExtension::FindListedSubkey(const std::wstring& realName, REGITEM* pItem) const noexcept
{
    DWORD cSubkeys = 0;
    if (realName.empty() || !ReadKeyCounts(m_hKey.get(), &cSubkeys, nullptr))
        return false;
    std::wstring name;
    for (DWORD i = 0; i < cSubkeys; ++i)
    {
        // The registry compares names without regard to case, and so does a typed path.
        if (ReadSubkeyNameW(m_hKey.get(), i, name) && ::lstrcmpiW(name.c_str(), realName.c_str()) == 0)
            return MakeListedItem(REGITEM_KEY, i, name, 0, pItem);
    }
    return false;
}

HRESULT CRegkeyExtension::ParseDisplayName(HWND hwnd, LPBC, LPOLESTR pszDisplayName,
                                           ULONG* pchEaten, LPITEMIDLIST* ppidl,
                                           ULONG* pdwAttributes) noexcept
{
    // Both prefixes are compared with regard to case below a predefined key.
    return ParseLocation(pszDisplayName, false, &KeyItemFromComponent, hwnd, pchEaten, ppidl,
                         pdwAttributes);
}

HRESULT CRegkeyExtension::ParseLocation(LPOLESTR pszDisplayName, bool bLongPrefixIgnoresCase,
                                        FirstItemMaker pfnMakeItem, HWND hwnd, ULONG* pchEaten,
                                        LPITEMIDLIST* ppidl, ULONG* pdwAttributes) noexcept
{
    if (!ppidl)
        return E_INVALIDARG;
    *ppidl = nullptr;
    if (!pszDisplayName)
        return E_INVALIDARG;
    try
    {
        const wchar_t* pszText =
            pszDisplayName + LocationPrefixLength(pszDisplayName, bLongPrefixIgnoresCase);
        const LocationComponent component = SplitLocation(pszText);
        REGITEM item;
        if (!pfnMakeItem(component.first, &item))
            return E_INVALIDARG;
        if (m_hRootKey && AnsiToWide(item.szName) != KeyComponentName(component.first))
        {
            // The name does not survive the code page: its text could name another key. The
            // item is the listed subkey of that real name, or there is none.
            if (!FindListedSubkey(KeyComponentName(component.first), &item))
                return E_INVALIDARG;
        }
        return CompleteParse(item, pszText, component.pszRest, hwnd, pchEaten, ppidl,
                             pdwAttributes);
    }
    CATCH_RETURN(E_OUTOFMEMORY)
}

HRESULT CRegkeyExtension::CompleteParse(const REGITEM& item, const wchar_t* pszText,
                                        const wchar_t* pszRest, HWND hwnd, ULONG* pchEaten,
                                        LPITEMIDLIST* ppidl, ULONG* pdwAttributes) noexcept
{
    UniquePidl pidlItem;
    if (IMalloc* pItemMalloc = GetItemMalloc())
    {
        // The host's allocator writes its own header; the record goes behind it.
        auto* p = static_cast<BYTE*>(pItemMalloc->Alloc(sizeof(REGITEM)));
        if (p)
        {
            memcpy(p + 6, &item, sizeof(item));
            pidlItem.reset(reinterpret_cast<LPITEMIDLIST>(p));
        }
    }
    else
    {
        pidlItem.reset(MakeItemIdList(&item, sizeof(item)));
    }
    if (!pidlItem)
        return E_OUTOFMEMORY;

    if (pszRest)
    {
        UniquePidl rest;
        const ComPtr<IShellFolder> psf = GetSubFolderInterface(&item);
        if (psf && SUCCEEDED(psf->ParseDisplayName(hwnd, nullptr, const_cast<LPOLESTR>(pszRest),
                                                   nullptr, rest.put(), nullptr)) &&
            rest)
        {
            if (LPITEMIDLIST pidlAll = ::ILCombine(pidlItem.get(), rest.get()))
                pidlItem.reset(pidlAll);
        }
    }

    if (pchEaten)
        *pchEaten = static_cast<ULONG>(wcslen(pszText));
    if (pdwAttributes)
        *pdwAttributes = GetItemAttributes(nullptr);
    *ppidl = pidlItem.release(); // the caller frees the list
    return S_OK;
}

} // namespace corvasin
