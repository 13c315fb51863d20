// The tree delete: depth first, children from the last index down.
#include "registry/RegistryTree.h"

#include "registry/RegistryAccess.h"
#include "core/Handles.h"
#include "core/Strings.h"

#include <string>

namespace corvasin
{

namespace
{
constexpr REGSAM c_samDeleteTree =
    KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS;

bool DeleteTree(HKEY hParent, LPCWSTR pszName, MissingKey missing, unsigned nDepth) noexcept
{
    // Deeper than the registry nests keys is no registry we can trust.
    if (!hParent || !pszName || !*pszName || nDepth > kMaxKeyDepth)
        return false;

    UniqueHkey hKey;
    const LONG lOpen = OpenRegKeyW(hParent, pszName, c_samDeleteTree, hKey.put());
    if (lOpen == ERROR_FILE_NOT_FOUND)
        return missing == MissingKey::Deleted;
    if (lOpen != ERROR_SUCCESS)
        return false;

    DWORD cSubKeys = 0;
    if (ReadKeyCounts(hKey.get(), &cSubKeys, nullptr))
    {
        // From the last index down, so the indices not yet visited stay valid while their
        // siblings disappear.
        for (DWORD i = cSubKeys; i-- > 0;)
        {
            wchar_t szSubKey[kMaxKeyNameChars + 1];
            DWORD cch = kMaxKeyNameChars + 1;
            if (::RegEnumKeyExW(hKey.get(), i, szSubKey, &cch, nullptr, nullptr, nullptr,
                                nullptr) != ERROR_SUCCESS)
                continue;
            if (!DeleteTree(hKey.get(), szSubKey, MissingKey::Deleted, nDepth + 1))
                return false;
        }
    }
    hKey.reset();
    return DeleteRegKeyW(hParent, pszName) == ERROR_SUCCESS;
}
} // namespace

bool DeleteKeyTreeW(HKEY hParent, LPCWSTR pszName, MissingKey missing) noexcept
{
    return DeleteTree(hParent, pszName, missing, 0);
}

BOOL DeleteRegKeyTree(HKEY hParent, LPCSTR pszName) noexcept
{
    if (!pszName || !*pszName)
        return FALSE;
    const std::wstring name = AnsiToWide(pszName);
    return !name.empty() && DeleteKeyTreeW(hParent, name.c_str(), MissingKey::Deleted);
}

} // namespace corvasin
