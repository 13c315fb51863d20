// The key as the access-control editor sees it: one small object per editor run, holding the
// folder, whose key it reads and writes through the registry floor.
#include "commands/KeySecurityInfo.h"

#include "commands/SecurityEditor.h"
#include "core/ComObject.h"
#include "core/CmdTargetPtr.h"
#include "core/Result.h"
#include "framework/ItemIdList.h"
#include "registry/KeySecurity.h"
#include "registry/RegkeyExtension.h"

#include <memory>
#include <string>

// MinGW's aclui.h names the interface's id without declaring it for __uuidof.
__CRT_UUID_DECL(ISecurityInformation, 0x965fc360, 0x16ff, 0x11d0, 0x91, 0xcb, 0x00, 0xaa, 0x00, 0xbb,
                0xb7, 0x23)

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

constexpr DWORD kObjectFlags = SI_EDIT_OWNER | SI_EDIT_AUDITS | SI_CONTAINER | SI_ADVANCED |
                               SI_OWNER_RECURSE | SI_RESET_DACL_TREE | SI_RESET_SACL_TREE;

using MapGenericMaskFunction = void(WINAPI*)(PDWORD AccessMask, PGENERIC_MAPPING GenericMapping);

class CKeySecurityInfo final : public CComObject<CKeySecurityInfo, ISecurityInformation>
{
public:
    explicit CKeySecurityInfo(CRegkeyExtension& folder) noexcept : m_pFolder(&folder) {}

    STDMETHODIMP GetObjectInformation(PSI_OBJECT_INFO pObjectInfo) override;
    STDMETHODIMP GetSecurity(SECURITY_INFORMATION RequestedInformation,
                             PSECURITY_DESCRIPTOR* ppSecurityDescriptor, BOOL fDefault) override;
    STDMETHODIMP SetSecurity(SECURITY_INFORMATION SecurityInformation,
                             PSECURITY_DESCRIPTOR pSecurityDescriptor) override;
    STDMETHODIMP GetAccessRights(const GUID* pguidObjectType, DWORD dwFlags, PSI_ACCESS* ppAccess,
                                 ULONG* pcAccesses, ULONG* piDefaultAccess) override;
    STDMETHODIMP MapGeneric(const GUID* pguidObjectType, UCHAR* pAceFlags,
                            ACCESS_MASK* pMask) override;
    STDMETHODIMP GetInheritTypes(PSI_INHERIT_TYPE* ppInheritTypes, ULONG* pcInheritTypes) override;
    STDMETHODIMP PropertySheetPageCallback(HWND hwnd, UINT uMsg, SI_PAGE_TYPE uPage) override;

private:
    CmdTargetPtr<CRegkeyExtension> m_pFolder;
    // The key's name, made on the first request and kept while the editor may hold it.
    std::unique_ptr<WCHAR[]> m_pszName;
};

STDMETHODIMP CKeySecurityInfo::GetObjectInformation(PSI_OBJECT_INFO pObjectInfo)
{
    if (!pObjectInfo)
        return E_POINTER;
    ZeroMemory(pObjectInfo, sizeof(*pObjectInfo));
    try
    {
        if (!m_pszName)
        {
            // The name of the folder's own item: the key's real last name, or a predefined
            // key's long name.
            std::wstring name;
            const std::wstring& path = m_pFolder->GetRealKeyPath();
            if (m_pFolder->OwnItemData(LastItemId(m_pFolder->GetPidl()), true) && !path.empty())
                name = path.substr(path.rfind(L'\\') == std::wstring::npos ? 0 : path.rfind(L'\\') + 1);
            else
                name = AnsiToWide(m_pFolder->GetItemName(nullptr, 0).c_str());
            std::unique_ptr<WCHAR[]> pszName(new WCHAR[name.size() + 1]);
            memcpy(pszName.get(), name.c_str(), (name.size() + 1) * sizeof(WCHAR));
            m_pszName = std::move(pszName);
        }
    }
    CATCH_RETURN(E_OUTOFMEMORY)
    pObjectInfo->dwFlags = kObjectFlags;
    pObjectInfo->pszObjectName = m_pszName.get();
    return S_OK;
}

// The editor is told only that a read or a write failed, as it expects.
STDMETHODIMP CKeySecurityInfo::GetSecurity(SECURITY_INFORMATION RequestedInformation,
                                           PSECURITY_DESCRIPTOR* ppSecurityDescriptor, BOOL)
{
    if (!ppSecurityDescriptor)
        return E_POINTER;
    const HRESULT hr =
        ReadKeySecurity(m_pFolder->GetOpenKey(), RequestedInformation, ppSecurityDescriptor);
    return hr == E_OUTOFMEMORY ? hr : SUCCEEDED(hr) ? S_OK : E_FAIL;
}

STDMETHODIMP CKeySecurityInfo::SetSecurity(SECURITY_INFORMATION SecurityInformation,
                                           PSECURITY_DESCRIPTOR pSecurityDescriptor)
{
    if (!pSecurityDescriptor)
        return E_POINTER;
    return SUCCEEDED(WriteKeySecurity(m_pFolder->GetOpenKey(), SecurityInformation,
                                      pSecurityDescriptor))
               ? S_OK
               : E_FAIL;
}

STDMETHODIMP CKeySecurityInfo::GetAccessRights(const GUID*, DWORD, PSI_ACCESS* ppAccess,
                                               ULONG* pcAccesses, ULONG* piDefaultAccess)
{
    if (!ppAccess || !pcAccesses || !piDefaultAccess)
        return E_POINTER;
    // The editor only reads the table.
    *ppAccess = const_cast<PSI_ACCESS>(c_accessRights);
    *pcAccesses = ARRAYSIZE(c_accessRights);
    *piDefaultAccess = kDefaultAccess;
    return S_OK;
}

STDMETHODIMP CKeySecurityInfo::MapGeneric(const GUID*, UCHAR*, ACCESS_MASK* pMask)
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

STDMETHODIMP CKeySecurityInfo::GetInheritTypes(PSI_INHERIT_TYPE* ppInheritTypes, ULONG* pcInheritTypes)
{
    if (!ppInheritTypes || !pcInheritTypes)
        return E_POINTER;
    *ppInheritTypes = const_cast<PSI_INHERIT_TYPE>(c_inheritTypes);
    *pcInheritTypes = ARRAYSIZE(c_inheritTypes);
    return S_OK;
}

STDMETHODIMP CKeySecurityInfo::PropertySheetPageCallback(HWND, UINT, SI_PAGE_TYPE) { return E_NOTIMPL; }
} // namespace

ComPtr<ISecurityInformation> MakeKeySecurityInformation(CRegkeyExtension& folder) noexcept
{
    return ComPtr<ISecurityInformation>::Attach(new (std::nothrow) CKeySecurityInfo(folder));
}

HRESULT EditKeySecurity(CRegkeyExtension& folder, HWND hwndOwner) noexcept
{
    const ComPtr<ISecurityInformation> psi = MakeKeySecurityInformation(folder);
    if (!psi)
        return E_OUTOFMEMORY;
    return SecurityEditor()(hwndOwner, psi.get()) ? S_OK : S_FALSE;
}

} // namespace corvasin
