// Key security: the key folder as the access-control editor sees it (ISecurityInformation), the
// registry's access rights, generic mapping and inheritance choices, and the recursive write.
#include "registry/RegkeyExtension.h"

#include "core/Result.h"
#include "framework/ItemIdList.h"
#include "registry/RegistryAccess.h"
#include "registry/SecurityEditor.h"

#include <new>

namespace corvasin
{

namespace
{
constexpr DWORD kSpecific = SI_ACCESS_SPECIFIC;
constexpr DWORD kGeneral = SI_ACCESS_GENERAL;

// The rights the editor offers, in its order; the names are the editor's texts.
const SI_ACCESS c_accessRights[] = {
    {&GUID_NULL, KEY_QUERY_VALUE, L"Query Value", kSpecific},
    {&GUID_NULL, KEY_SET_VALUE, L"Set Value", kSpecific},
    {&GUID_NULL, KEY_CREATE_SUB_KEY, L"Create Subkey", kSpecific},
    {&GUID_NULL, KEY_ENUMERATE_SUB_KEYS, L"Enumerate Subkeys", kSpecific},
    {&GUID_NULL, KEY_NOTIFY, L"Notify", kSpecific},
    {&GUID_NULL, KEY_CREATE_LINK, L"Create Link", kSpecific},
    {&GUID_NULL, DELETE, L"Delete", kSpecific},
    {&GUID_NULL, WRITE_DAC, L"Write DAC", kSpecific},
    {&GUID_NULL, WRITE_OWNER, L"Wrirte Owxner", kSpecific},
    {&GUID_NULL, READ_CONTROL, L"Read Control", kSpecific},
    {&GUID_NULL, KEY_READ, L"Read", kGeneral},
    {&GUID_NULL, KEY_ALL_ACCESS, L"Full Control", kGeneral},
};
// New entries start as "Set Value".
constexpr ULONG kDefaultAccess = 1;

const SI_INHERIT_TYPE c_inheritTypes[] = {
    {&GUID_NULL, CONTAINER_INHERIT_ACE, L"This key and subkeys"},
    {&GUID_NULL, NO_PROPAGATE_INHERIT_ACE, L"This key only"},
    {&GUID_NULL, CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE, L"Subkeys only"},
};

const GENERIC_MAPPING c_genericMapping = {KEY_READ, KEY_WRITE, KEY_EXECUTE, KEY_ALL_ACCESS};

// What the editor adds to the security information to ask for the whole subtree.
constexpr SECURITY_INFORMATION kTreeFlags =
    SI_OWNER_RECURSE | SI_RESET_DACL_TREE | SI_RESET_SACL_TREE;

constexpr DWORD kObjectFlags = SI_EDIT_OWNER | SI_EDIT_AUDITS | SI_CONTAINER | SI_ADVANCED |
                               SI_OWNER_RECURSE | SI_RESET_DACL_TREE | SI_RESET_SACL_TREE;

using MapGenericMaskFunction = void(WINAPI*)(PDWORD AccessMask, PGENERIC_MAPPING GenericMapping);

// Writes the descriptor to the key and, with a tree flag, to every key below it, each with the
// standard parts of the information only. Subkeys are opened below their parent's handle (a path
// from the root fails past the registry's limit on names), down to the walks' depth limit; keys
// that cannot be opened or written keep their security. True when this key's write succeeded.
bool SetKeyTreeSecurity(HKEY hKey, SECURITY_INFORMATION si, PSECURITY_DESCRIPTOR pDescriptor,
                        unsigned nDepth) noexcept
{
    const bool bTree = (si & kTreeFlags) != 0;
    const SECURITY_INFORMATION siKey = si & ~kTreeFlags;
    if (!hKey || ::RegSetKeySecurity(hKey, siKey, pDescriptor) != ERROR_SUCCESS)
        return false;
    if (!bTree || nDepth >= kMaxKeyDepth)
        return true;

    DWORD cSubkeys = 0;
    if (!ReadKeyCounts(hKey, &cSubkeys, nullptr))
        return true;
    // Subkeys by their real names: a name the code page cannot hold must not lead elsewhere.
    std::wstring name;
    for (DWORD i = 0; i < cSubkeys; ++i)
    {
        if (!ReadSubkeyNameW(hKey, i, name))
            continue;
        UniqueHkey subkey;
        if (OpenRegKeyW(hKey, name.c_str(), MAXIMUM_ALLOWED, subkey.put()) != ERROR_SUCCESS)
            continue;
        // The children's own results do not change this key's.
        SetKeyTreeSecurity(subkey.get(), siKey | SI_OWNER_RECURSE, pDescriptor, nDepth + 1);
    }
    return true;
}
} // namespace

BOOL CRegkeyExtension::EditKeySecurity(HWND hwndOwner) noexcept
{
    return SecurityEditor()(hwndOwner, &m_xSecurityInformation);
}

// ---- ISecurityInformation --------------------------------------------------------------------

STDMETHODIMP CRegkeyExtension::XSecurityInformation::GetObjectInformation(
    PSI_OBJECT_INFO pObjectInfo)
{
    if (!pObjectInfo)
        return E_POINTER;
    ZeroMemory(pObjectInfo, sizeof(*pObjectInfo));
    try
    {
        if (!m_pThis->m_pszSecurityName)
        {
            // The name of the folder's own item: the key's real last name, or a predefined
            // key's long name.
            std::wstring name;
            const std::wstring& path = m_pThis->m_strRealKeyPath;
            if (m_pThis->OwnItemData(LastItemId(m_pThis->GetPidl()), true) && !path.empty())
                name = path.substr(path.rfind(L'\\') == std::wstring::npos ? 0 : path.rfind(L'\\') + 1);
            else
                name = AnsiToWide(m_pThis->GetItemName(nullptr, 0).c_str());
            std::unique_ptr<WCHAR[]> pszName(new WCHAR[name.size() + 1]);
            memcpy(pszName.get(), name.c_str(), (name.size() + 1) * sizeof(WCHAR));
            m_pThis->m_pszSecurityName = std::move(pszName);
        }
    }
    CATCH_RETURN(E_OUTOFMEMORY)
    pObjectInfo->dwFlags = kObjectFlags;
    pObjectInfo->pszObjectName = m_pThis->m_pszSecurityName.get();
    return S_OK;
}

STDMETHODIMP CRegkeyExtension::XSecurityInformation::GetSecurity(
    SECURITY_INFORMATION RequestedInformation, PSECURITY_DESCRIPTOR* ppSecurityDescriptor, BOOL)
{
    if (!ppSecurityDescriptor)
        return E_POINTER;
    *ppSecurityDescriptor = nullptr;
    const HKEY hKey = m_pThis->m_hKey.get();
    if (!hKey)
        return E_FAIL;
    DWORD cb = 0;
    const LONG lResult = ::RegGetKeySecurity(hKey, RequestedInformation, nullptr, &cb);
    if ((lResult != ERROR_SUCCESS && lResult != ERROR_INSUFFICIENT_BUFFER) || cb == 0)
        return E_FAIL;
    // The caller frees the block with LocalFree.
    const HLOCAL hDescriptor = ::LocalAlloc(LMEM_FIXED, cb);
    if (!hDescriptor)
        return E_OUTOFMEMORY;
    if (::RegGetKeySecurity(hKey, RequestedInformation, hDescriptor, &cb) != ERROR_SUCCESS)
    {
        ::LocalFree(hDescriptor);
        return E_FAIL;
    }
    *ppSecurityDescriptor = hDescriptor;
    return S_OK;
}

STDMETHODIMP CRegkeyExtension::XSecurityInformation::SetSecurity(
    SECURITY_INFORMATION SecurityInformation, PSECURITY_DESCRIPTOR pSecurityDescriptor)
{
    if (!pSecurityDescriptor)
        return E_POINTER;
    return SetKeyTreeSecurity(m_pThis->m_hKey.get(), SecurityInformation, pSecurityDescriptor, 0)
               ? S_OK
               : E_FAIL;
}

STDMETHODIMP CRegkeyExtension::XSecurityInformation::GetAccessRights(const GUID*, DWORD,
                                                                     PSI_ACCESS* ppAccess,
                                                                     ULONG* pcAccesses,
                                                                     ULONG* piDefaultAccess)
{
    if (!ppAccess || !pcAccesses || !piDefaultAccess)
        return E_POINTER;
    // The editor only reads the table.
    *ppAccess = const_cast<PSI_ACCESS>(c_accessRights);
    *pcAccesses = ARRAYSIZE(c_accessRights);
    *piDefaultAccess = kDefaultAccess;
    return S_OK;
}

STDMETHODIMP CRegkeyExtension::XSecurityInformation::MapGeneric(const GUID*, UCHAR*,
                                                                ACCESS_MASK* pMask)
{
    if (!pMask)
        return E_POINTER;
    const UniqueHmodule hAdvapi(::LoadLibraryA("advapi32.dll"));
    if (!hAdvapi)
        return E_FAIL;
    const FARPROC pfn = ::GetProcAddress(hAdvapi.get(), "MapGenericMask");
    if (!pfn)
        return E_FAIL;
    GENERIC_MAPPING mapping = c_genericMapping;
    reinterpret_cast<MapGenericMaskFunction>(reinterpret_cast<void*>(pfn))(pMask, &mapping);
    return S_OK;
}

STDMETHODIMP CRegkeyExtension::XSecurityInformation::GetInheritTypes(
    PSI_INHERIT_TYPE* ppInheritTypes, ULONG* pcInheritTypes)
{
    if (!ppInheritTypes || !pcInheritTypes)
        return E_POINTER;
    *ppInheritTypes = const_cast<PSI_INHERIT_TYPE>(c_inheritTypes);
    *pcInheritTypes = ARRAYSIZE(c_inheritTypes);
    return S_OK;
}

STDMETHODIMP CRegkeyExtension::XSecurityInformation::PropertySheetPageCallback(HWND, UINT,
                                                                               SI_PAGE_TYPE)
{
    return E_NOTIMPL;
}

} // namespace corvasin
