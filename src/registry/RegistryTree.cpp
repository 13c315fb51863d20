// The tree delete: the tree reader's walk, each key deleted after its subkeys.
#include "registry/RegistryTree.h"

#include "core/Handles.h"
#include "core/Result.h"
#include "core/Strings.h"
#include "registry/NativeKeys.h"
#include "registry/RegistryAccess.h"
#include "registry/TreeReader.h"

#include <string>
#include <vector>

namespace corvasin
{

namespace
{
// The start key is enumerated and deleted; its subkeys are opened by the reader to be read and
// by this thread to be deleted.
constexpr REGSAM c_samDeleteStart = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | DELETE;
constexpr REGSAM c_samReadSubkeys = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;

// Deletes the tree of the open key as the reader hands it over: each key opened for deleting
// below its parent as the walk enters it, and deleted where the walk leaves it, after its
// subkeys. The reader reads every key's subkey names before handing any of them over, so the
// keys deleted here do not move their siblings under it. False at the first key that cannot
// be opened or deleted (a key that vanished meanwhile is gone either way).
bool DeleteTreeAsRead(HKEY hStart)
{
    TreeReaderOptions options;
    options.bValues = false;
    options.samSubkeys = c_samReadSubkeys;
    options.bNamesFirst = true;
    CTreeReader reader(hStart, options);
    std::vector<UniqueHkey> keys; // the keys of the walk below the start key, opened for deleting
    const TreeEntry* pEntry = nullptr;
    while (reader.Next(&pEntry) == CTreeReader::Result::Entry)
    {
        const TreeEntry& entry = *pEntry;
        if (entry.kind == TreeEntry::KeyStart)
        {
            // A key the reader cannot enumerate may hold subkeys: it cannot be emptied.
            if (!entry.bOpened)
                return false;
            if (entry.nDepth == 0)
                continue;
            UniqueHkey key;
            const HKEY hParent = keys.empty() ? hStart : keys.back().get();
            const LONG rc = OpenRegKeyW(hParent, entry.name.c_str(), DELETE, key.put());
            if (rc == ERROR_FILE_NOT_FOUND)
            {
                reader.SkipSubtree();
                continue;
            }
            if (rc != ERROR_SUCCESS)
                return false;
            keys.push_back(std::move(key));
        }
        else if (entry.kind == TreeEntry::KeyEnd)
        {
            if (FAILED(DeleteOpenKey(entry.nDepth == 0 ? hStart : keys.back().get())))
                return false;
            if (entry.nDepth > 0)
                keys.pop_back();
        }
    }
    return !reader.Failed();
}
} // namespace

bool DeleteKeyTreeW(HKEY hParent, LPCWSTR pszName, MissingKey missing) noexcept
{
    // A null or empty name would name hParent itself.
    if (!hParent || !pszName || !*pszName)
        return false;
    try
    {
        UniqueHkey hKey;
        const LONG lOpen = OpenRegKeyW(hParent, pszName, c_samDeleteStart, hKey.put());
        if (lOpen == ERROR_FILE_NOT_FOUND)
            return missing == MissingKey::Deleted;
        return lOpen == ERROR_SUCCESS && DeleteTreeAsRead(hKey.get());
    }
    CATCH_RETURN(false)
}

BOOL DeleteRegKeyTree(HKEY hParent, LPCSTR pszName) noexcept
{
    if (!pszName || !*pszName)
        return FALSE;
    const std::wstring name = AnsiToWide(pszName);
    return !name.empty() && DeleteKeyTreeW(hParent, name.c_str(), MissingKey::Deleted);
}

} // namespace corvasin
