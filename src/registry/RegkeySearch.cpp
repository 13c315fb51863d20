// The search walk of the key folder and of the root folder: own name, values, then every subkey
// depth-first through the shared sub-folder objects, serving the search thread's messages
// before each value and subkey so that its window stays responsive and can stop the walk.
#include "registry/RegRootExtension.h"
#include "registry/RegkeyExtension.h"

#include "framework/ItemIdList.h"
#include "registry/PredefinedKeys.h"
#include "registry/RegistryAccess.h"
#include "registry/SearchWalk.h"

#include <vector>

namespace corvasin
{

namespace
{
// The item as an absolute list below the folder's own; null when out of memory.
LPITEMIDLIST CombineItem(LPCITEMIDLIST pidlFolder, const REGITEM& item) noexcept
{
    const UniquePidl pidlItem(MakeItemIdList(&item, sizeof(item)));
    return pidlItem ? ::ILCombine(pidlFolder, pidlItem.get()) : nullptr;
}

// The sub-folder's own walk; false when the search was stopped inside it.
bool SearchSubFolder(const CmdTargetPtr<CNameSpaceExtension>& pSubFolder, CSearchWalk* pSearch) noexcept
{
    // Only registry folders walk (a foreign object never comes from our own CreateSubFolder).
    if (!pSubFolder || !pSubFolder->GetInterface(IID_IRegFolder))
        return true;
    return static_cast<CRegkeyExtension*>(pSubFolder.get())->SearchKey(pSearch) != FALSE;
}
} // namespace

void CRegkeyExtension::SearchValue(CSearchWalk* pSearch, LPCITEMIDLIST pidlFolder, DWORD dwIndex,
                                   std::vector<BYTE>& data) noexcept
{
    // The value by its real name: a result with a lossy name names this entry (listing index and
    // mark), never a value whose real name is the lossy text.
    REGITEM item = {};
    std::wstring name;
    DWORD dwType = REG_NONE;
    if (!ReadValueNameW(m_hKey.get(), dwIndex, name, &dwType) ||
        !MakeListedItem(REGITEM_VALUE, dwIndex, name, dwType, &item))
        return;

    // A value found by its name is not searched by its data as well.
    bool bFound = pSearch->SearchValueNames() && pSearch->MatchesName(item.szName);
    if (!bFound && pSearch->SearchValueData() && pSearch->SearchesDataOfType(item.dwValueType))
    {
        // Most values are read in one call into a buffer of a few KB; a larger one is read at
        // the size the registry reports (once more when it grew meanwhile, then skipped).
        BYTE abQuick[kQuickValueBuffer];
        const BYTE* pData = nullptr;
        DWORD cbData = 0;
        if (IsLossyItem(item))
        {
            // Read by the real name; strings are compared in the code page as the ANSI calls
            // give them.
            std::vector<BYTE> text;
            bool bLossy = false;
            if (!ReadTypedValueW(m_hKey.get(), name.c_str(), &dwType, data))
                return;
            const std::vector<BYTE>& compared =
                StringDataToCodePage(dwType, data, text, &bLossy) ? text : data;
            bFound = pSearch->MatchesData(item.dwValueType, compared.data(), compared.size());
        }
        else
        {
            if (!ReadValueDataQuick(m_hKey.get(), item.szName, abQuick, sizeof(abQuick), data,
                                    &pData, &cbData) &&
                !ReadValueDataQuick(m_hKey.get(), item.szName, abQuick, sizeof(abQuick), data,
                                    &pData, &cbData))
                return;
            bFound = pSearch->MatchesData(item.dwValueType, pData, cbData);
        }
    }
    if (!bFound)
        return;

    // The unnamed value is always reported as the "(default)" item that stands for it.
    if (item.szName[0] == '\0')
        item = MakeRegItem(REGITEM_DEFAULT, 0, kDefaultItemName, item.dwValueType);
    if (LPITEMIDLIST pidl = CombineItem(pidlFolder, item))
        pSearch->AddResult(pidl);
}

BOOL CRegkeyExtension::SearchKey(CSearchWalk* pSearch) noexcept
{
    if (!pSearch)
        return FALSE;
    pSearch->SetStatusText(m_strKeyPath);

    // Results are absolute lists: a folder that was never given its place reports nothing.
    const LPCITEMIDLIST pidlFolder = GetPidl();
    if (!pidlFolder)
        return TRUE;

    if (pSearch->SearchKeyNames())
    {
        const BYTE* pOwnData = OwnItemData(LastItemId(pidlFolder), true);
        if (pOwnData)
        {
            const REGITEM own = ReadRegItem(pOwnData);
            if (own.dwKind == REGITEM_KEY && pSearch->MatchesName(own.szName))
            {
                if (LPITEMIDLIST pidl = ::ILClone(pidlFolder))
                    pSearch->AddResult(pidl);
            }
        }
    }

    DWORD cSubkeys = 0;
    DWORD cValues = 0;
    if (!m_hKey || ::RegQueryInfoKeyA(m_hKey.get(), nullptr, nullptr, nullptr, &cSubkeys, nullptr,
                                      nullptr, &cValues, nullptr, nullptr, nullptr,
                                      nullptr) != ERROR_SUCCESS)
        return TRUE;

    if (pSearch->SearchValueNames() || pSearch->SearchValueData())
    {
        std::vector<BYTE> data;
        for (DWORD i = 0; i < cValues; ++i)
        {
            if (pSearch->ServeAndCheckCancelled())
                return FALSE;
            SearchValue(pSearch, pidlFolder, i, data);
        }
    }

    // Subkeys are walked whatever is compared: their values may match.
    for (DWORD i = 0; i < cSubkeys; ++i)
    {
        if (pSearch->ServeAndCheckCancelled())
            return FALSE;
        REGITEM item = {};
        std::wstring name;
        if (!ReadSubkeyNameW(m_hKey.get(), i, name) || !MakeListedItem(REGITEM_KEY, i, name, 0, &item))
            continue;
        if (!SearchSubFolder(GetSubFolder(&item), pSearch))
            return FALSE;
    }
    return TRUE;
}

BOOL CRegRootExtension::SearchKey(CSearchWalk* pSearch) noexcept
{
    if (!pSearch)
        return FALSE;
    // The listing order: HKEY_LOCAL_MACHINE first, the performance (or dynamic) data last.
    for (UINT n = 0; n < kPredefinedKeyCount; ++n)
    {
        const PredefinedKey* pKey = PredefinedKeyAt(n);
        if (!pKey)
            continue;
        const REGITEM item = MakeRegItem(REGITEM_KEY, PredefinedKeyField(pKey->hKey), pKey->pszLongName);
        if (!SearchSubFolder(GetSubFolder(&item), pSearch) || pSearch->IsCancelled())
            return FALSE;
    }
    return TRUE;
}

} // namespace corvasin
