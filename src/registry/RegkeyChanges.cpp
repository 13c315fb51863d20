// The registry key folder's operations that change the registry: delete, rename, the new key
// and value, and paste or drop of copied keys and values.
#include "registry/FolderChanges.h"

#include "core/MessageBox.h"
#include "core/Result.h"
#include "framework/ItemIdList.h"
#include "registry/ChangeBackup.h"
#include "registry/KeyOperations.h"
#include "registry/PredefinedKeys.h"
#include "registry/RegKeyPayload.h"
#include "registry/RegistryAccess.h"
#include "registry/RegkeyExtension.h"

#include <shlobj.h>
#include <cstdio>
#include <vector>

namespace corvasin
{

namespace
{
constexpr char kNewKeyName[] = "New Key";
constexpr char kNewValueName[] = "New Value";
constexpr DWORD kNewValueSize = 4;

// The record of an item id, whatever its form; null for an id that holds none of ours.
const BYTE* RecordOf(LPCITEMIDLIST pidl) noexcept
{
    const BYTE* pData = ItemIdData(pidl, sizeof(REGITEM), true);
    return pData && HasRegItemSignature(pData) ? pData : nullptr;
}

bool ConfirmDelete(HWND hwndOwner, const REGITEM& item) noexcept
{
    char szText[sizeof(item.szName) + 96];
    std::snprintf(szText, sizeof(szText),
                  item.dwKind == REGITEM_KEY
                      ? "Are you sure you want to delete the key %s and all of its content?"
                      : "Are you sure you want to delete the value %s?",
                  item.szName);
    return AppMessageBox(hwndOwner, szText, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

FORMATETC RegKeyFormatEtc(UINT cf) noexcept
{
    return FORMATETC{static_cast<CLIPFORMAT>(cf), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

// The predefined key and the path below it that an absolute registry id list names; false
// for a list that names no registry key.
bool KeyPathOf(LPCITEMIDLIST pidl, DWORD* pdwRoot, CString* pPath)
{
    LPCITEMIDLIST p = pidl;
    for (; p; p = NextItemId(p))
    {
        if (RecordOf(p))
            break;
    }
    if (!p)
        return false;
    *pdwRoot = ReadRegItem(RecordOf(p)).dwIndex;
    pPath->clear();
    for (p = NextItemId(p); p; p = NextItemId(p))
    {
        const BYTE* pData = RecordOf(p);
        if (!pData)
            return false;
        if (!pPath->empty())
            *pPath += '\\';
        *pPath += ReadRegItem(pData).szName;
    }
    return true;
}
} // namespace

void CRegkeyExtension::BackUp(const REGITEM& item, const char* pszOperation) noexcept
{
    std::wstring name;
    if (!FindRealName(item, name))
        return;
    CChangeBackup backup(m_hRootKey, m_strKeyPath, m_strRealKeyPath, pszOperation, item.szName);
    if (item.dwKind == REGITEM_KEY)
        backup.AddKeyTree(name.c_str());
    else
        backup.AddValue(item.dwKind == REGITEM_DEFAULT ? nullptr : name.c_str());
    backup.Write();
}

void NotifyItemChange(const CRegkeyExtension& folder, LONG lEvent, const REGITEM& item,
                      const REGITEM* pSecond) noexcept
{
    UniquePidl pidlItem(MakeItemIdList(&item, sizeof(item)));
    UniquePidl pidlFull(pidlItem ? ::ILCombine(folder.GetPidl(), pidlItem.get()) : nullptr);
    if (!pidlFull)
        return;
    UniquePidl pidlSecondFull;
    if (pSecond)
    {
        UniquePidl pidlSecond(MakeItemIdList(pSecond, sizeof(*pSecond)));
        pidlSecondFull.reset(pidlSecond ? ::ILCombine(folder.GetPidl(), pidlSecond.get()) : nullptr);
    }
    ::SHChangeNotify(lEvent, SHCNF_IDLIST | SHCNF_FLUSHNOWAIT, pidlFull.get(), pidlSecondFull.get());
}

// ---- delete -------------------------------------------------------------------------------------

BOOL CRegkeyExtension::DeleteItems(UINT cidl, LPCITEMIDLIST* apidl) noexcept
{
    if (!apidl)
        return TRUE;
    const HWND hwndOwner = ::IsWindow(GetOwnerWindow()) ? GetOwnerWindow() : nullptr;
    for (UINT i = 0; i < cidl; ++i)
    {
        const BYTE* pData = RecordOf(apidl[i]);
        if (!pData)
            continue;
        const REGITEM item = ReadRegItem(pData);
        // An item whose entry cannot be found for certain is left alone, never a namesake.
        std::wstring name;
        if (!FindRealName(item, name) || !ConfirmDelete(hwndOwner, item))
            continue;
        BackUp(item, "delete");
        if (item.dwKind == REGITEM_KEY)
        {
            if (DeleteKeyTree(m_hKey.get(), name.c_str()))
                NotifyItemChange(*this, SHCNE_RMDIR, item);
        }
        else if (DeleteValueW(m_hKey.get(), item.dwKind == REGITEM_DEFAULT ? nullptr : name.c_str()))
        {
            NotifyItemChange(*this, SHCNE_DELETE, item);
        }
    }
    return TRUE;
}

// ---- rename -------------------------------------------------------------------------------------

BOOL CRegkeyExtension::SetItemName(void* pItem, const CString& strName) noexcept
{
    if (!pItem || !m_hKey || !IsUsableItemName(strName))
        return FALSE;
    REGITEM item = ReadRegItem(pItem);
    std::wstring name;
    if (!FindRealName(item, name))
        return FALSE;
    BackUp(item, "rename");
    const bool bRenamed =
        item.dwKind == REGITEM_KEY
            ? RenameEmptyKey(m_hKey.get(), name.c_str(), strName)
            : RenameValue(m_hKey.get(), item.dwKind == REGITEM_DEFAULT ? nullptr : name.c_str(), strName);
    if (!bRenamed)
        return FALSE;
    // The new name was typed in the code page: the record holds it whole.
    item.dwIndex &= kRegItemIndexMask;
    // The record takes the new name; a renamed "(default)" is a named value from now on.
    memset(item.szName, 0, sizeof(item.szName));
    memcpy(item.szName, strName.data(), strName.size());
    if (item.dwKind == REGITEM_DEFAULT)
        item.dwKind = REGITEM_VALUE;
    memcpy(pItem, &item, sizeof(item));
    return TRUE;
}

// ---- new key and value --------------------------------------------------------------------------

BOOL CreateNewKey(CRegkeyExtension& folder) noexcept
{
    if (!CreateOrOpenSubkey(folder.GetOpenKey(), kNewKeyName))
        return FALSE;
    const REGITEM item = MakeRegItem(REGITEM_KEY, 0, kNewKeyName, 0);
    NotifyItemChange(folder, SHCNE_MKDIR, item);
    UniquePidl pidl(MakeItemIdList(&item, sizeof(item)));
    folder.SetRenameItem(pidl.get());
    return TRUE;
}

BOOL CreateNewValue(CRegkeyExtension& folder, DWORD dwType) noexcept
{
    try
    {
        const CString name = FreeValueName(folder.GetOpenKey(), kNewValueName);
        if (!IsUsableItemName(name) ||
            !WriteZeroValue(folder.GetOpenKey(), name.c_str(), dwType, kNewValueSize))
            return FALSE;
        const REGITEM item = MakeRegItem(REGITEM_VALUE, 0, name.c_str(), dwType);
        NotifyItemChange(folder, SHCNE_CREATE, item);
        UniquePidl pidl(MakeItemIdList(&item, sizeof(item)));
        folder.SetRenameItem(pidl.get());
        return TRUE;
    }
    CATCH_RETURN(FALSE)
}

// ---- paste and drop -----------------------------------------------------------------------------

DWORD CRegkeyExtension::QueryDrop(IDataObject* pDataObject, DWORD, POINTL, BOOL) noexcept
{
    const UINT cf = m_pServices->pfnRegKeyFormat ? m_pServices->pfnRegKeyFormat() : 0;
    if (!pDataObject || cf == 0)
        return DROPEFFECT_NONE;
    FORMATETC fe = RegKeyFormatEtc(cf);
    return pDataObject->QueryGetData(&fe) == S_OK ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

BOOL CRegkeyExtension::Drop(IDataObject* pDataObject, DWORD, POINTL, DWORD*) noexcept
{
    const UINT cf = m_pServices->pfnRegKeyFormat ? m_pServices->pfnRegKeyFormat() : 0;
    if (!pDataObject || cf == 0)
        return FALSE;
    FORMATETC fe = RegKeyFormatEtc(cf);
    UniqueStgMedium medium;
    if (FAILED(pDataObject->GetData(&fe, medium.put())) || medium.get().tymed != TYMED_HGLOBAL ||
        !medium.get().hGlobal)
        return FALSE;
    // The registry root holds no key: nothing is copied there, and that is no failure.
    if (!m_hKey)
        return TRUE;
    try
    {
        GlobalLock block(medium.get().hGlobal);
        RegKeyPayload payload;
        if (!block.get() || !ReadRegKeyPayload(block.as<BYTE>(), ::GlobalSize(medium.get().hGlobal),
                                               payload) ||
            !payload.pidlFolder)
            return TRUE;

        DWORD dwSourceRoot = 0;
        CString sourcePath;
        const bool bSourceKnown = KeyPathOf(payload.pidlFolder, &dwSourceRoot, &sourcePath);
        const UniqueHkey hSource(ResolveItemIdList(payload.pidlFolder));
        if (!hSource)
            return TRUE;
        // What the copies will replace: values of the same names, and keys merged into, for
        // the items the source still has.
        // Each item by the real name of its entry in the source; one that cannot be found for
        // certain is left out.
        std::vector<std::pair<REGITEM, std::wstring>> items;
        items.reserve(payload.items.size());
        for (LPCITEMIDLIST pidlItem : payload.items)
        {
            const BYTE* pData = RecordOf(pidlItem);
            std::wstring name;
            if (pData && FindItemRealName(hSource.get(), ReadRegItem(pData), name))
            {
                REGITEM item = ReadRegItem(pData);
                // In this folder the copy is listed afresh; its record must not point at an
                // index of the source.
                item.dwIndex &= kRegItemIndexMask;
                items.emplace_back(item, std::move(name));
            }
        }
        CChangeBackup backup(m_hRootKey, m_strKeyPath, m_strRealKeyPath, "paste", "");
        for (const auto& [item, name] : items)
        {
            const wchar_t* pszName = item.dwKind == REGITEM_DEFAULT ? nullptr : name.c_str();
            if (item.dwKind != REGITEM_KEY)
            {
                if (ValueExistsW(m_hKey.get(), pszName))
                    backup.AddValue(pszName);
                continue;
            }
            UniqueHkey hTargetKey;
            if (OpenRegKeyW(m_hKey.get(), pszName, KEY_QUERY_VALUE, hTargetKey.put()) == ERROR_SUCCESS)
                backup.AddKeyTree(pszName);
        }
        backup.Write();
        for (const auto& [item, name] : items)
        {
            if (item.dwKind != REGITEM_KEY)
            {
                if (CopyValue(m_hKey.get(), hSource.get(),
                              item.dwKind == REGITEM_DEFAULT ? nullptr : name.c_str()))
                    NotifyItemChange(*this, SHCNE_CREATE, item);
                continue;
            }
            // A key dropped on itself or on a key below it would be copied into itself.
            const CString itemPath =
                sourcePath.empty() ? CString(item.szName) : sourcePath + "\\" + item.szName;
            if (!bSourceKnown ||
                (PredefinedKeyFromField(dwSourceRoot) == m_hRootKey &&
                 IsSameOrBelowKeyPath(itemPath, m_strKeyPath)))
                continue;
            if (CopyKeyTree(m_hKey.get(), hSource.get(), name.c_str()))
                NotifyItemChange(*this, SHCNE_MKDIR, item);
        }
        return TRUE;
    }
    CATCH_RETURN(TRUE)
}

} // namespace corvasin
