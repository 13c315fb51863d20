// DeleteRegKeyTree: depth first, children from the last index down.
#include "registry/RegistryTree.h"

#include "registry/RegistryAccess.h"
#include "core/Handles.h"
#include "core/Strings.h"

namespace corvasin
{

namespace
{
constexpr REGSAM c_samDeleteTree =
    KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS;
// Registry nesting is limited to 512 levels; anything deeper is not a registry we can trust.
constexpr int c_nMaxDepth = 512;

BOOL DeleteTree(HKEY hParent, LPCWSTR pszName, int nDepth) noexcept
{
    if (!hParent || !pszName || !*pszName || nDepth > c_nMaxDepth)
        return FALSE;

    UniqueHkey hKey;
    const LONG lOpen = OpenRegKeyW(hParent, pszName, c_samDeleteTree, hKey.put());
    if (lOpen == ERROR_FILE_NOT_FOUND)
        return TRUE;
    if (lOpen != ERROR_SUCCESS)
        return FALSE;

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
            if (!DeleteTree(hKey.get(), szSubKey, nDepth + 1))
                return FALSE;
        }
    }
    hKey.reset();
    return DeleteRegKeyW(hParent, pszName) == ERROR_SUCCESS;
}
} // namespace

BOOL DeleteRegKeyTree(HKEY hParent, LPCSTR pszName) noexcept
{
    if (!pszName || !*pszName)
        return FALSE;
    const std::wstring name = AnsiToWide(pszName);
    return !name.empty() && DeleteTree(hParent, name.c_str(), 0);
}

BOOL DeleteRegKeyTreeW(HKEY hParent, LPCWSTR pszName) noexcept
{
    return DeleteTree(hParent, pszName, 0);
}

} // namespace corvasin
