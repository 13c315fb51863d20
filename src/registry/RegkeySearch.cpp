// The search walk of the key folder and of the root folder: own name, values, then every subkey
// depth-first as the tree reader hands them over, serving the search thread's messages before
// each value and subkey so that its window stays responsive and can stop the walk.
#include "registry/RegRootExtension.h"
#include "registry/RegkeyExtension.h"

#include "framework/ItemIdList.h"
#include "registry/PredefinedKeys.h"
#include "registry/RegistryAccess.h"
#include "registry/SearchWalk.h"
#include "registry/TreeReader.h"

#include <vector>

namespace corvasin
{

namespace
{
// How long the walk waits for the reader before it serves the thread's messages again.
constexpr DWORD kReaderWaitMs = 10;

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

// One value as the reader hands it: compared, and reported below the key's list.
void SearchValue(CSearchWalk* pSearch, LPCITEMIDLIST pidlKey, const std::wstring& keyRealPath,
                 const TreeEntry& value, std::vector<BYTE>& text) noexcept
{
    // The value by its real name: a result with a lossy name names this entry (listing index and
    // mark), never a value whose real name is the lossy text.
    REGITEM item = {};
    if (!MakeListedItem(REGITEM_VALUE, value.dwIndex, value.name, value.dwType, &item))
        return;

    // A value found by its name is not searched by its data as well.
    bool bFound = pSearch->SearchValueNames() && pSearch->MatchesName(item.szName);
    if (!bFound && pSearch->SearchValueData() && pSearch->SearchesDataOfType(item.dwValueType))
    {
        // Strings are compared in the code page, as the ANSI calls give them.
        bool bLossy = false;
        const std::vector<BYTE>& compared =
            StringDataToCodePage(value.dwType, value.data, text, &bLossy) ? text : value.data;
        bFound = pSearch->MatchesData(item.dwValueType, compared.data(), compared.size());
    }
    if (!bFound)
        return;

    // The unnamed value is always reported as the "(default)" item that stands for it.
    if (item.szName[0] == '\0')
        item = MakeRegItem(REGITEM_DEFAULT, 0, kDefaultItemName, item.dwValueType);
    if (LPITEMIDLIST pidl = CombineItem(pidlKey, item))
        pSearch->AddResultBelow(pidl, keyRealPath);
}

// A key of the walk below the folder's own: its absolute list and its path for the status line,
// as its own folder would have them.
struct SearchLevel
{
    UniquePidl pidl;
    CString strPath;
    std::wstring realPath;
};
} // namespace

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
    if (!m_hKey)
        return TRUE;

    // The reader's helpers read ahead; this thread compares what they hand over, in the order
    // of a walk one key at a time, and serves its messages before each value and each subkey,
    // and while it waits.
    TreeReaderOptions options;
    options.bValues = pSearch->SearchValueNames() || pSearch->SearchValueData();
    options.bValueData = pSearch->SearchValueData();
    CTreeReader reader(m_hKey.get(), options);
    try
    {
        std::vector<SearchLevel> levels;
        std::vector<BYTE> text;
        for (;;)
        {
            const TreeEntry* pEntry = nullptr;
            const CTreeReader::Result result = reader.Next(&pEntry, kReaderWaitMs);
            if (result == CTreeReader::Result::Pending)
            {
                if (pSearch->ServeAndCheckCancelled())
                    return FALSE;
                continue;
            }
            if (result == CTreeReader::Result::End)
                break;
            const TreeEntry& entry = *pEntry;
            if (entry.kind != TreeEntry::Value && entry.nDepth == 0)
                continue; // the folder's own key, compared above
            if (entry.kind == TreeEntry::KeyEnd)
            {
                levels.pop_back();
                continue;
            }
            if (pSearch->ServeAndCheckCancelled())
                return FALSE;
            const LPCITEMIDLIST pidlParent = levels.empty() ? pidlFolder : levels.back().pidl.get();
            const std::wstring& parentRealPath = levels.empty() ? m_strRealKeyPath : levels.back().realPath;
            if (entry.kind == TreeEntry::Value)
            {
                SearchValue(pSearch, pidlParent, parentRealPath, entry, text);
                continue;
            }

            // A subkey: what its folder would report first.
            REGITEM item = {};
            UniquePidl pidlKey;
            if (MakeListedItem(REGITEM_KEY, entry.dwIndex, entry.name, 0, &item))
                pidlKey.reset(CombineItem(pidlParent, item));
            if (!pidlKey)
            {
                reader.SkipSubtree();
                continue;
            }
            const CString& strParentPath = levels.empty() ? m_strKeyPath : levels.back().strPath;
            CString strPath = strParentPath.empty() ? CString(item.szName) : strParentPath + "\\" + item.szName;
            pSearch->SetStatusText(strPath);
            if (pSearch->SearchKeyNames() && pSearch->MatchesName(item.szName))
            {
                if (LPITEMIDLIST pidl = ::ILClone(pidlKey.get()))
                    pSearch->AddResultBelow(pidl, parentRealPath);
            }
            std::wstring realPath = parentRealPath.empty() ? entry.name : parentRealPath + L"\\" + entry.name;
            levels.push_back({std::move(pidlKey), std::move(strPath), std::move(realPath)});
        }
    }
    catch (...)
    {
        // Out of memory: the walk ends as if the rest could not be read.
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
