// The tree delete: the tree reader's walk, each key deleted after its subkeys.
#include "registry/RegistryTree.h"

#include "core/Handles.h"
#include "core/Result.h"
#include "core/Strings.h"
#include "registry/NativeKeys.h"
#include "registry/RegistryAccess.h"
#include "registry/TreeReader.h"

#include <string>

namespace corvasin
{

namespace
{
// Every key of the tree is enumerated and deleted through the handle the reader opened it by.
constexpr REGSAM c_samDeleteTree = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | DELETE;

// Deletes the tree of the open key as the reader hands it over, each key where the walk leaves
// it, after its subkeys. The reader reads every key's subkey names before handing any of them
// over, so the keys deleted here do not move their siblings under it. False at the first key
// that cannot be opened or deleted (a key that vanished meanwhile is gone either way).
bool DeleteTreeAsRead(HKEY hStart)
{
    TreeReaderOptions options;
    options.bValues = false;
    options.samSubkeys = c_samDeleteTree;
    options.bNamesFirst = true;
    options.bKeepKeys = true;
    CTreeReader reader(hStart, options);
    const TreeEntry* pEntry = nullptr;
    while (reader.Next(&pEntry) == CTreeReader::Result::Entry)
    {
        // A key that could not be opened may hold subkeys: it cannot be emptied.
        if (!pEntry->hKey)
            return false;
        if (pEntry->kind == TreeEntry::KeyEnd && FAILED(DeleteOpenKey(pEntry->hKey)))
            return false;
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
        const LONG lOpen = OpenRegKeyW(hParent, pszName, c_samDeleteTree, hKey.put());
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
