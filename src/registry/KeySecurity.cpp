// Reading and writing key descriptors, the tree write walking below the key's own handle.
#include "registry/KeySecurity.h"

#include "core/Handles.h"
#include "registry/RegistryAccess.h"

#include <aclui.h>
#include <string>

namespace corvasin
{

namespace
{
// What the access-control editor adds to the security information to ask for the whole subtree.
constexpr SECURITY_INFORMATION kTreeFlags =
    SI_OWNER_RECURSE | SI_RESET_DACL_TREE | SI_RESET_SACL_TREE;

// Subkeys are opened below their parent's handle (a path from the root fails past the registry's
// limit on names), down to the walks' depth limit, by their real names: a name the code page
// cannot hold must not lead elsewhere.
void WriteSubtreeSecurity(HKEY hKey, SECURITY_INFORMATION si, PSECURITY_DESCRIPTOR pDescriptor,
                          unsigned nDepth) noexcept
{
    DWORD cSubkeys = 0;
    if (nDepth >= kMaxKeyDepth || !ReadKeyCounts(hKey, &cSubkeys, nullptr))
        return;
    std::wstring name;
    for (DWORD i = 0; i < cSubkeys; ++i)
    {
        UniqueHkey subkey;
        if (!ReadSubkeyNameW(hKey, i, name) ||
            OpenRegKeyW(hKey, name.c_str(), MAXIMUM_ALLOWED, subkey.put()) != ERROR_SUCCESS)
            continue;
        // A key below keeps going whatever became of its own write.
        (void)::RegSetKeySecurity(subkey.get(), si, pDescriptor);
        WriteSubtreeSecurity(subkey.get(), si, pDescriptor, nDepth + 1);
    }
}
} // namespace

HRESULT ReadKeySecurity(HKEY hKey, SECURITY_INFORMATION si, PSECURITY_DESCRIPTOR* ppDescriptor) noexcept
{
    if (!ppDescriptor)
        return E_POINTER;
    *ppDescriptor = nullptr;
    if (!hKey)
        return HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
    DWORD cb = 0;
    LONG rc = ::RegGetKeySecurity(hKey, si, nullptr, &cb);
    if (rc != ERROR_SUCCESS && rc != ERROR_INSUFFICIENT_BUFFER)
        return HRESULT_FROM_WIN32(rc);
    if (cb == 0)
        return E_UNEXPECTED;
    UniqueHlocal block(::LocalAlloc(LMEM_FIXED, cb));
    if (!block)
        return E_OUTOFMEMORY;
    rc = ::RegGetKeySecurity(hKey, si, block.get(), &cb);
    if (rc != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(rc);
    *ppDescriptor = block.release(); // the caller frees it with LocalFree
    return S_OK;
}

HRESULT WriteKeySecurity(HKEY hKey, SECURITY_INFORMATION si, PSECURITY_DESCRIPTOR pDescriptor) noexcept
{
    if (!pDescriptor)
        return E_POINTER;
    if (!hKey)
        return HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
    const SECURITY_INFORMATION siKey = si & ~kTreeFlags;
    const LONG rc = ::RegSetKeySecurity(hKey, siKey, pDescriptor);
    if (rc != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(rc);
    if (si & kTreeFlags)
        WriteSubtreeSecurity(hKey, siKey, pDescriptor, 1);
    return S_OK;
}

} // namespace corvasin
