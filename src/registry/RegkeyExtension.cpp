// The registry key folder: listing, names, attributes, icons, columns and find data.
#include "registry/RegkeyExtension.h"

#include "framework/ItemIdList.h"
#include "core/Result.h"
#include "registry/ColumnText.h"
#include "registry/PredefinedKeys.h"
#include "registry/RegistryAccess.h"

#include <cstring>
#include <vector>

namespace corvasin
{

namespace
{
constexpr DWORD kValuesFlag = SHCONTF_NONFOLDERS;

REGITEM& Record(void* pItem) noexcept { return *static_cast<REGITEM*>(pItem); }
} // namespace

CRegkeyExtension::CRegkeyExtension(CNameSpaceExtension* pParent, HKEY hRootKey,
                                   const char* pszKeyPath, const CRegServices* pServices,
                                   const wchar_t* pszRealPath) noexcept
    : CNameSpaceExtension(pParent), m_pServices(pServices ? pServices : &NoRegServices()),
      m_hRootKey(hRootKey)
{
    try
    {
        m_strKeyPath = pszKeyPath ? pszKeyPath : "";
        m_strRealKeyPath = pszRealPath ? std::wstring(pszRealPath) : AnsiToWide(m_strKeyPath.c_str());
    }
    catch (...)
    {
        // Without memory for the path the folder opens nothing: it reads as "Registry".
        m_strKeyPath.clear();
        m_strRealKeyPath.clear();
        return;
    }
    if (m_strKeyPath.empty())
    {
        m_hKey.reset(hRootKey);
    }
    else if (hRootKey && !m_strRealKeyPath.empty() && !OpenBelowParent(pParent))
    {
        HKEY hKey = nullptr;
        if (OpenRegKeyW(hRootKey, m_strRealKeyPath.c_str(), MAXIMUM_ALLOWED, &hKey) ==
            ERROR_SUCCESS)
            m_hKey.reset(hKey);
    }
}

// A sub-folder opens its key by its own name below its parent's open key: the registry then has
// no path from the root to walk (and Wine refuses paths of more than 255 characters from it).
bool CRegkeyExtension::OpenBelowParent(CNameSpaceExtension* pParent) noexcept
{
    if (!pParent || !pParent->GetInterface(IID_IRegFolder))
        return false;
    const auto* pParentKey = static_cast<const CRegkeyExtension*>(pParent);
    const std::wstring& parentPath = pParentKey->m_strRealKeyPath;
    const size_t cchPrefix = parentPath.empty() ? 0 : parentPath.size() + 1;
    if (!pParentKey->m_hKey || pParentKey->m_hRootKey != m_hRootKey ||
        m_strRealKeyPath.size() <= cchPrefix ||
        m_strRealKeyPath.compare(0, parentPath.size(), parentPath) != 0 ||
        (cchPrefix && m_strRealKeyPath[parentPath.size()] != L'\\'))
        return false;
    HKEY hKey = nullptr;
    if (OpenRegKeyW(pParentKey->m_hKey.get(), m_strRealKeyPath.c_str() + cchPrefix,
                    MAXIMUM_ALLOWED, &hKey) != ERROR_SUCCESS)
        return false;
    m_hKey.reset(hKey);
    return true;
}

bool CRegkeyExtension::FindRealName(const REGITEM& item, std::wstring& name) const noexcept
{
    return FindItemRealName(m_hKey.get(), item, name);
}

void* CRegkeyExtension::GetInterface(REFIID riid) noexcept
{
    if (riid == IID_IRegFolder)
        return static_cast<IRegFolder*>(&m_xRegFolder);
    return CNameSpaceExtension::GetInterface(riid);
}

const CLSID& CRegkeyExtension::GetCLSID() noexcept
{
    return m_pServices->FolderClassId();
}

BOOL CRegkeyExtension::IsOwnItem(const void* pItem) noexcept { return HasRegItemSignature(pItem); }

UINT CRegkeyExtension::GetItemDataSize() noexcept { return sizeof(REGITEM); }

CString CRegkeyExtension::SubkeyPath(const char* pszName) const
{
    return m_strKeyPath.empty() ? CString(pszName) : m_strKeyPath + "\\" + pszName;
}

// ---- listing: subkeys, then "(default)", then the named values --------------------------------

BOOL CRegkeyExtension::DeliverDefaultItem(void* pItem, DWORD grfFlags) noexcept
{
    if (!(grfFlags & kValuesFlag))
        return FALSE;
    Record(pItem) = MakeRegItem(REGITEM_DEFAULT, 0, kDefaultItemName, REG_SZ);
    return TRUE;
}

BOOL CRegkeyExtension::GetFirstItem(void* pItem, DWORD* pdwContext, DWORD grfFlags) noexcept
{
    REGITEM item = {};
    std::wstring name;
    if (ReadSubkeyNameW(m_hKey.get(), 0, name) && MakeListedItem(REGITEM_KEY, 0, name, 0, &item))
    {
        *pdwContext = 0;
        Record(pItem) = item;
        return TRUE;
    }
    return DeliverDefaultItem(pItem, grfFlags);
}

BOOL CRegkeyExtension::GetNextItem(const void* pPrevious, void* pItem, DWORD* pdwContext,
                                   DWORD grfFlags) noexcept
{
    const DWORD dwKind = ReadRegItem(pPrevious).dwKind;
    if (dwKind == REGITEM_KEY)
    {
        REGITEM item = {};
        std::wstring name;
        if (ReadSubkeyNameW(m_hKey.get(), *pdwContext + 1, name) &&
            MakeListedItem(REGITEM_KEY, *pdwContext + 1, name, 0, &item))
        {
            *pdwContext += 1;
            Record(pItem) = item;
            return TRUE;
        }
        return DeliverDefaultItem(pItem, grfFlags);
    }

    // After "(default)" the values start at 0; the unnamed value is already listed as it.
    DWORD dwIndex = dwKind == REGITEM_DEFAULT ? 0 : *pdwContext + 1;
    std::wstring name;
    for (;; ++dwIndex)
    {
        REGITEM item = {};
        DWORD dwType = REG_NONE;
        if (!ReadValueNameW(m_hKey.get(), dwIndex, name, &dwType) ||
            !MakeListedItem(REGITEM_VALUE, dwIndex, name, dwType, &item))
            return FALSE;
        *pdwContext = dwIndex;
        if (item.szName[0] != '\0')
        {
            Record(pItem) = item;
            return TRUE;
        }
    }
}

// ---- names, sub-folders, attributes, icons ---------------------------------------------------

CString CRegkeyExtension::GetItemName(const void* pItem, DWORD) noexcept
{
    try
    {
        if (pItem)
            return ReadRegItem(pItem).szName;
        if (m_hKey && GetPidl())
        {
            if (const BYTE* pData = OwnItemData(LastItemId(GetPidl()), true))
                return ReadRegItem(pData).szName;
        }
        return "Registry";
    }
    CATCH_RETURN(CString())
}

CNameSpaceExtension* CRegkeyExtension::CreateSubFolder(const void* pItem) noexcept
{
    if (!pItem)
        return nullptr;
    const REGITEM item = ReadRegItem(pItem);
    if (item.dwKind != REGITEM_KEY)
        return nullptr;
    try
    {
        // The sub-folder opens the very key the item names, by its real name.
        std::wstring name;
        if (!FindRealName(item, name) || name.empty())
            return nullptr;
        const std::wstring realPath = m_strRealKeyPath.empty() ? name : m_strRealKeyPath + L"\\" + name;
        return new (std::nothrow) CRegkeyExtension(this, m_hRootKey, SubkeyPath(item.szName).c_str(),
                                                   m_pServices, realPath.c_str());
    }
    CATCH_RETURN(nullptr)
}

CCmdTarget* CRegkeyExtension::CreateUIObject(UINT cidl, LPCITEMIDLIST* apidl,
                                              HWND hwndOwner) noexcept
{
    // One creation reference, which passes to the caller.
    return m_pServices->CreateUIObject(*this, cidl, apidl, hwndOwner);
}

int CRegkeyExtension::GetIconIndex(const void* pItem, UINT uFlags, UINT*) noexcept
{
    const int nFolderIcon = 1 + static_cast<int>(uFlags & GIL_OPENICON);
    if (!pItem)
        return nFolderIcon;
    const REGITEM item = ReadRegItem(pItem);
    if (item.dwKind == REGITEM_KEY)
        return nFolderIcon;
    switch (item.dwValueType)
    {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
        return 3;
    default:
        return 4;
    }
}

ULONG CRegkeyExtension::GetItemAttributes(const void* pItem) noexcept
{
    constexpr ULONG kValue = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANRENAME | SFGAO_CANDELETE;
    constexpr ULONG kKey = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANDELETE | SFGAO_DROPTARGET |
                           SFGAO_BROWSABLE | SFGAO_FOLDER;
    if (!pItem || !m_hKey)
        return kKey | SFGAO_CANRENAME | SFGAO_HASSUBFOLDER;
    const REGITEM item = ReadRegItem(pItem);
    if (item.dwKind != REGITEM_KEY)
        return kValue;

    std::wstring name;
    UniqueHkey subkey;
    DWORD cSubkeys = 0;
    if (!FindRealName(item, name) ||
        OpenRegKeyW(m_hKey.get(), name.c_str(), KEY_QUERY_VALUE, subkey.put()) != ERROR_SUCCESS ||
        !ReadKeyCounts(subkey.get(), &cSubkeys, nullptr))
        return kKey;
    // A key with subkeys is never offered for renaming.
    return cSubkeys > 0 ? kKey | SFGAO_HASSUBFOLDER : kKey | SFGAO_CANRENAME;
}

int CRegkeyExtension::CompareItems(LPARAM, const void* pItem1, const void* pItem2) noexcept
{
    return CompareRegItems(pItem1, pItem2);
}

// ---- columns -----------------------------------------------------------------------------------

CString CRegkeyExtension::GetColumnTitle(int iColumn) noexcept
{
    try
    {
        switch (iColumn)
        {
        case 0:
        case 4: // the size column's title repeats the first one
            return "Name";
        case 1:
        case 2:
        {
            DWORD cValues = 0;
            if (!m_hKey || ::RegQueryInfoKeyA(m_hKey.get(), nullptr, nullptr, nullptr, nullptr,
                                              nullptr, nullptr, &cValues, nullptr, nullptr, nullptr,
                                              nullptr) != ERROR_SUCCESS)
                return {};
            if (cValues == 0)
                return {};
            return iColumn == 1 ? "Value" : "Type";
        }
        case 5:
            return "Last modified";
        default:
            return {};
        }
    }
    CATCH_RETURN(CString())
}

CString CRegkeyExtension::GetColumnText(const void* pItem, int iColumn) noexcept
{
    if (!pItem)
        return {};
    return ItemDetailText(ReadRegItem(pItem), iColumn);
}

CString CRegkeyExtension::ItemDetailText(const REGITEM& item, int iColumn) noexcept
{
    try
    {
        switch (iColumn)
        {
        case 0:
            return item.szName;
        case 1:
            return item.dwKind == REGITEM_KEY ? CString() : ValueText(item);
        case 2:
            return item.dwKind == REGITEM_KEY ? CString() : CString(ValueTypeName(item.dwValueType));
        case 4:
        case 5:
        {
            WIN32_FIND_DATAW findData = {};
            FillFindData(item, &findData);
            if (iColumn == 4)
                return FormatSizeText(findData.nFileSizeLow);
            return FormatLastWriteTime(findData.ftLastWriteTime);
        }
        default:
            return {};
        }
    }
    CATCH_RETURN(CString())
}

// The data as the Value column shows it, formatted by the type the item carries.
CString CRegkeyExtension::ValueText(const REGITEM& item) const
{
    // One registry call for the data of most values; only larger ones ask for the size first.
    if (IsLossyItem(item))
    {
        // The entry's own data, by its real name, in the code page as the column shows text.
        std::wstring name;
        DWORD dwType = REG_NONE;
        std::vector<BYTE> data;
        std::vector<BYTE> text;
        if (!FindRealName(item, name) || !ReadTypedValueW(m_hKey.get(), name.c_str(), &dwType, data))
            return {};
        bool bLossy = false;
        const std::vector<BYTE>& shown =
            StringDataToCodePage(dwType, data, text, &bLossy) ? text : data;
        return FormatValueText(item.dwValueType, shown.data(), static_cast<DWORD>(shown.size()));
    }
    BYTE abData[kQuickValueBuffer];
    std::vector<BYTE> large;
    const BYTE* pData = nullptr;
    DWORD cbData = 0;
    if (!ReadValueDataQuick(m_hKey.get(), RegValueName(item), abData, sizeof(abData), large,
                            &pData, &cbData))
        return {};
    return FormatValueText(item.dwValueType, pData, cbData);
}

BOOL CRegkeyExtension::GetFindData(const void* pItem, WIN32_FIND_DATAW* pFindData) noexcept
{
    if (!pItem || !pFindData)
        return FALSE;
    FillFindData(ReadRegItem(pItem), pFindData);
    return TRUE;
}

void CRegkeyExtension::FillFindData(const REGITEM& item, WIN32_FIND_DATAW* pFindData) const noexcept
{
    pFindData->dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    std::wstring name;
    const bool bFound = FindRealName(item, name);
    if (item.dwKind == REGITEM_KEY)
    {
        UniqueHkey subkey;
        FILETIME ft = {};
        if (bFound &&
            OpenRegKeyW(m_hKey.get(), name.c_str(), MAXIMUM_ALLOWED, subkey.put()) ==
                ERROR_SUCCESS &&
            ::RegQueryInfoKeyA(subkey.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, &ft) == ERROR_SUCCESS)
        {
            pFindData->ftCreationTime = ft;
            pFindData->ftLastAccessTime = ft;
            pFindData->ftLastWriteTime = ft;
        }
    }
    else
    {
        DWORD cb = 0;
        if (bFound && m_hKey &&
            ::RegQueryValueExW(m_hKey.get(), item.dwKind == REGITEM_DEFAULT ? nullptr : name.c_str(),
                               nullptr, nullptr, nullptr, &cb) == ERROR_SUCCESS)
            pFindData->nFileSizeLow = cb;
    }
    ::MultiByteToWideChar(CP_ACP, 0, item.szName, -1, pFindData->cFileName, MAX_PATH);
    pFindData->cFileName[MAX_PATH - 1] = L'\0';
}

BOOL CRegkeyExtension::GetDefaultColumn(ULONG* pSort, ULONG* pDisplay) noexcept
{
    if (pSort)
        *pSort = 0;
    if (pDisplay)
        *pDisplay = 0;
    return TRUE;
}

BOOL CRegkeyExtension::GetDefaultColumnState(UINT iColumn, DWORD* pcsFlags) noexcept
{
    if (iColumn > 2 || !pcsFlags)
        return FALSE;
    *pcsFlags &= SHCOLSTATE_TYPE_STR | SHCOLSTATE_ONBYDEFAULT;
    return TRUE;
}

LPCSTR CRegkeyExtension::GetWebViewTemplate() noexcept { return "corvasin.htt"; }

CString CRegkeyExtension::GetUrlProtocol() noexcept { return "reg"; }

BOOL CRegkeyExtension::ExecuteItem(const void* pItem, HWND hwnd, LPCWSTR pszVerb) noexcept
{
    const REGITEM item = ReadRegItem(pItem);
    // Keys are left to the shell; a value's own verb is its editor.
    if (item.dwKind == REGITEM_KEY ||
        (pszVerb && *pszVerb && lstrcmpiW(pszVerb, L"open") != 0 && lstrcmpiW(pszVerb, L"edit") != 0))
        return FALSE;
    UniquePidl pidlItem(MakeItemIdList(&item, sizeof(item)));
    LPCITEMIDLIST apidl[1] = {pidlItem.get()};
    const auto pUI = CmdTargetPtr<CCmdTarget>::Attach(pidlItem ? CreateUIObject(1, apidl, hwnd) : nullptr);
    ComPtr<IContextMenu> menu;
    if (!pUI || FAILED(pUI->ExternalQueryInterface(IID_IContextMenu, menu.put_void())))
        return FALSE;
    CMINVOKECOMMANDINFO ici = {};
    ici.cbSize = sizeof(ici);
    ici.hwnd = hwnd;
    ici.lpVerb = "edit";
    ici.nShow = SW_SHOWNORMAL;
    // A cancelled dialog is handled too: the shell must not go on to look for a program.
    menu->InvokeCommand(&ici);
    return TRUE;
}

CmdTargetPtr<CRegkeyExtension> CRegkeyExtension::GetKeySubFolder(const REGITEM& item) noexcept
{
    if (item.dwKind != REGITEM_KEY)
        return nullptr;
    CmdTargetPtr<CNameSpaceExtension> pFolder = GetSubFolder(&item);
    // Every sub-folder of a key folder is a key folder; the check keeps it so if one is not.
    if (!pFolder || !pFolder->GetInterface(IID_IRegFolder))
        return nullptr;
    return CmdTargetPtr<CRegkeyExtension>::Attach(static_cast<CRegkeyExtension*>(pFolder.detach()));
}

// ---- IRegFolder ------------------------------------------------------------------------------

STDMETHODIMP CRegkeyExtension::XRegFolder::GetKey(HKEY* phKey)
{
    if (!phKey)
        return E_POINTER;
    *phKey = m_pThis->m_hKey.get();
    return S_OK;
}

STDMETHODIMP CRegkeyExtension::XRegFolder::GetPath(BSTR* pbstrPath)
{
    if (!pbstrPath)
        return E_POINTER;
    const std::wstring& path = m_pThis->m_strRealKeyPath;
    *pbstrPath = ::SysAllocStringLen(path.c_str(), static_cast<UINT>(path.size()));
    return *pbstrPath ? S_OK : E_OUTOFMEMORY;
}

} // namespace corvasin
