// The registration file writer over the key folders: key, value and deletion lines of a folder's
// items, whole key trees, and the bodies of exports; the text itself comes from RegFileText.
#include "registry/RegFileWriter.h"

#include "core/Handles.h"
#include "core/Result.h"
#include "registry/KeyTreeWriter.h"
#include "registry/PredefinedKeys.h"
#include "registry/RegistryAccess.h"
#include "registry/RegkeyExtension.h"

#include <string>
#include <vector>

namespace corvasin
{

namespace
{
// A folder below a root that files cannot name gets nothing written at all.
bool HasNoFileName(CRegkeyExtension& folder) noexcept
{
    return folder.GetRootKey() && !IsRegFileRoot(folder.GetRootKey());
}

bool WriteKeyNameLine(CRegkeyExtension& folder, CByteSink& file, bool bDelete, bool bUnicode)
{
    CString strName;
    if (bUnicode ? !RegFileKeyNameUnicode(folder.GetRootKey(), folder.GetRealKeyPath(), strName)
                 : !RegFileKeyName(folder.GetRootKey(), folder.GetKeyPath(), strName))
        return true;
    CString line;
    AppendKeyLine(line, strName, bDelete);
    return file.Write(line);
}

// The registry root has no key of its own: its predefined keys are written in listing order.
bool WritePredefinedTrees(CRegkeyExtension& root, CByteSink& file)
{
    DWORD dwContext = 0;
    REGITEM item = {}, previous = {};
    CString strName;
    bool bMore = root.GetFirstItem(&item, &dwContext, SHCONTF_FOLDERS) != FALSE;
    while (bMore)
    {
        const HKEY hRoot = PredefinedKeyFromField(item.dwIndex);
        if (item.dwKind == REGITEM_KEY && hRoot && RegFileKeyName(hRoot, CString(), strName) &&
            !CKeyTreeWriter(file).Write(hRoot, strName))
            return false;
        previous = item;
        bMore = root.GetNextItem(&previous, &item, &dwContext, SHCONTF_FOLDERS) != FALSE;
    }
    return true;
}
} // namespace

bool WriteKeyLine(CRegkeyExtension& folder, CByteSink& file, bool bUnicode) noexcept
{
    try
    {
        return WriteKeyNameLine(folder, file, false, bUnicode);
    }
    CATCH_RETURN(false)
}

bool WriteDeleteKeyLine(CRegkeyExtension& folder, CByteSink& file, bool bUnicode) noexcept
{
    if (folder.GetKeyPath().empty())
        return true;
    try
    {
        return WriteKeyNameLine(folder, file, true, bUnicode);
    }
    CATCH_RETURN(false)
}

bool WriteValueLine(CRegkeyExtension& folder, CByteSink& file, const REGITEM& item,
                    bool bUnicode) noexcept
{
    try
    {
        // The line is the entry's own: an item whose entry cannot be found for certain, or whose
        // name the REGEDIT4 form cannot hold, has none.
        std::wstring realName;
        if (!folder.FindRealName(item, realName))
            return true;
        DWORD dwType = 0;
        std::vector<BYTE> data;
        if (bUnicode)
        {
            const wchar_t* pszRealName = item.dwKind == REGITEM_DEFAULT ? nullptr : realName.c_str();
            if (!ReadTypedValueW(folder.GetOpenKey(), pszRealName, &dwType, data))
                return true;
            CString line;
            AppendValueLineUnicode(line, pszRealName, dwType, data.data(),
                                   static_cast<DWORD>(data.size()));
            return file.Write(line);
        }
        if (IsLossyItem(item))
            return true;
        const char* pszName = RegValueName(item);
        // A value that is gone (or cannot be read) has no line: a name without data would
        // read back as something else.
        if (!ReadTypedValue(folder.GetOpenKey(), pszName, &dwType, data))
            return true;
        CString line;
        AppendValueLine(line, pszName, dwType, data.data(), static_cast<DWORD>(data.size()));
        return file.Write(line);
    }
    CATCH_RETURN(false)
}

bool WriteDeleteValueLine(CByteSink& file, const REGITEM& item, const wchar_t* pszRealName) noexcept
{
    try
    {
        CString line;
        if (pszRealName)
            AppendDeleteValueLineUnicode(line, item.dwKind == REGITEM_DEFAULT ? nullptr : pszRealName);
        else if (IsLossyItem(item))
            return true;
        else
            AppendDeleteValueLine(line, RegValueName(item));
        return file.Write(line);
    }
    CATCH_RETURN(false)
}

bool WriteKeyTree(CRegkeyExtension& folder, CByteSink& file, bool bUnicode) noexcept
{
    try
    {
        if (!folder.GetRootKey())
            return WritePredefinedTrees(folder, file);
        CString strName;
        if (bUnicode ? !RegFileKeyNameUnicode(folder.GetRootKey(), folder.GetRealKeyPath(), strName)
                     : !RegFileKeyName(folder.GetRootKey(), folder.GetKeyPath(), strName))
            return true;
        return CKeyTreeWriter(file, bUnicode).Write(folder.GetOpenKey(), strName);
    }
    CATCH_RETURN(false)
}

bool ExportNeedsUnicode(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl,
                        bool bInverse) noexcept
{
    // The whole registry is always written in the REGEDIT4 form.
    if (!folder.GetRootKey() || HasNoFileName(folder))
        return false;
    if (NameNeedsUnicode(folder.GetRealKeyPath()))
        return true;
    if (cidl == 0)
        return !bInverse && KeyTreeNeedsUnicode(folder.GetOpenKey());
    if (!apidl)
        return false;
    for (UINT i = 0; i < cidl; ++i)
    {
        const BYTE* pData = folder.OwnItemData(apidl[i], true);
        std::wstring name;
        if (!pData || !folder.FindRealName(ReadRegItem(pData), name))
            continue;
        const REGITEM item = ReadRegItem(pData);
        if (IsLossyItem(item) || NameNeedsUnicode(name))
            return true;
        if (bInverse)
            continue;
        if (item.dwKind != REGITEM_KEY)
        {
            if (ValueNeedsUnicode(folder.GetOpenKey(), item.dwKind == REGITEM_DEFAULT ? nullptr : name.c_str()))
                return true;
            continue;
        }
        UniqueHkey hSub;
        if (OpenRegKeyW(folder.GetOpenKey(), name.c_str(), KEY_READ, hSub.put()) == ERROR_SUCCESS &&
            KeyTreeNeedsUnicode(hSub.get(), 1))
            return true;
    }
    return false;
}

bool WriteExportBody(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl, bool bInverse,
                     CByteSink& file, bool bUnicode) noexcept
{
    if (HasNoFileName(folder))
        return true;
    if (cidl == 0)
        return bInverse ? WriteDeleteKeyLine(folder, file, bUnicode) : WriteKeyTree(folder, file, bUnicode);
    if (!apidl)
        return false;
    try
    {
        std::vector<REGITEM> values, keys;
        for (UINT i = 0; i < cidl; ++i)
        {
            const BYTE* pData = folder.OwnItemData(apidl[i], true);
            if (!pData)
                continue;
            const REGITEM item = ReadRegItem(pData);
            (item.dwKind == REGITEM_KEY ? keys : values).push_back(item);
        }
        // Value lines belong to the block of the folder's key; the registry root has none.
        CString strName;
        const bool bHasKeyLine =
            RegFileKeyName(folder.GetRootKey(), folder.GetKeyPath(), strName);

        if (!bInverse)
        {
            if (bHasKeyLine)
            {
                if (!WriteKeyLine(folder, file, bUnicode))
                    return false;
                for (const REGITEM& item : values)
                {
                    if (!WriteValueLine(folder, file, item, bUnicode))
                        return false;
                }
                if (!file.Write(c_szRegFileLineEnd, 2))
                    return false;
            }
            for (const REGITEM& item : keys)
            {
                const CmdTargetPtr<CRegkeyExtension> pSubFolder = folder.GetKeySubFolder(item);
                if (pSubFolder && !WriteKeyTree(*pSubFolder, file, bUnicode))
                    return false;
            }
            return true;
        }

        if (bHasKeyLine && !values.empty())
        {
            if (!WriteKeyLine(folder, file, bUnicode))
                return false;
            for (const REGITEM& item : values)
            {
                std::wstring name;
                if (bUnicode && !folder.FindRealName(item, name))
                    continue;
                if (!WriteDeleteValueLine(file, item, bUnicode ? name.c_str() : nullptr))
                    return false;
            }
        }
        if (!file.Write(c_szRegFileLineEnd, 2))
            return false;
        for (const REGITEM& item : keys)
        {
            const CmdTargetPtr<CRegkeyExtension> pSubFolder = folder.GetKeySubFolder(item);
            if (pSubFolder && !WriteDeleteKeyLine(*pSubFolder, file, bUnicode))
                return false;
        }
        return true;
    }
    CATCH_RETURN(false)
}

} // namespace corvasin
