// The REGEDIT4 writer: text forms of names and data, the line wrapping of hexadecimal bytes, and
// the walks over keys and selections.
#include "registry/RegFileWriter.h"

#include "core/Result.h"
#include "registry/KeyTreeWriter.h"
#include "registry/PredefinedKeys.h"
#include "registry/RegistryAccess.h"
#include "registry/RegkeyExtension.h"

#include <cstring>
#include <vector>

namespace corvasin
{

namespace
{
constexpr char c_szHeader[] = "REGEDIT4\r\n\r\n"
                              ";Generated with Corvasin\r\n"
                              ";https://corvasin.example/\r\n"
                              "\r\n";
constexpr char c_szLineEnd[] = "\r\n";
constexpr char c_szHexDigits[] = "0123456789ABCDEF";
// Past this many characters on a line the bytes continue on the next one.
constexpr size_t kWrapColumn = 76;

// Backslashes and double quotes are preceded by a backslash, in names as in string data.
void AppendEscaped(CString& out, const char* psz, size_t cch)
{
    for (size_t i = 0; i < cch; ++i)
    {
        if (psz[i] == '\\' || psz[i] == '"')
            out += '\\';
        out += psz[i];
    }
}

void AppendNamePart(CString& out, const char* pszName)
{
    if (!pszName || !*pszName)
    {
        out += '@';
        return;
    }
    out += '"';
    AppendEscaped(out, pszName, std::strlen(pszName));
    out += '"';
}

// Whether the string form gives back exactly these bytes: one text, its terminating zero last,
// and no line break in it (a file line cannot hold one).
bool IsPlainString(const BYTE* pData, DWORD cbData) noexcept
{
    if (cbData == 0 || pData[cbData - 1] != 0)
        return false;
    for (DWORD i = 0; i + 1 < cbData; ++i)
    {
        if (pData[i] == 0 || pData[i] == '\r' || pData[i] == '\n')
            return false;
    }
    return true;
}

void AppendLowerHex(CString& out, DWORD dw)
{
    char sz[9];
    int i = 8;
    sz[i] = '\0';
    do
    {
        sz[--i] = "0123456789abcdef"[dw & 0xF];
        dw >>= 4;
    } while (dw != 0);
    out += &sz[i];
}

// "hex:" or "hex(N):" and the bytes, wrapped once a line passes the wrap column. The count of
// characters starts with what the line already holds; no break follows the last byte.
void AppendHexData(CString& line, size_t cchLineStart, DWORD dwType, const BYTE* pData,
                   DWORD cbData)
{
    if (dwType == REG_BINARY)
    {
        line += "hex:";
    }
    else
    {
        line += "hex(";
        AppendLowerHex(line, dwType);
        line += "):";
    }
    size_t cchCount = line.size() - cchLineStart;
    line.reserve(line.size() + static_cast<size_t>(cbData) * 3 + cbData / 23 * 5 + 2);
    for (DWORD i = 0; i < cbData; ++i)
    {
        line += c_szHexDigits[pData[i] >> 4];
        line += c_szHexDigits[pData[i] & 0xF];
        cchCount += 3;
        if (i + 1 == cbData)
            break;
        line += ',';
        if (cchCount > kWrapColumn)
        {
            line += "\\\r\n  ";
            cchCount = 2;
        }
    }
}

const char* RootFullName(HKEY hRootKey) noexcept
{
    if (hRootKey == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    if (hRootKey == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (hRootKey == HKEY_CLASSES_ROOT)
        return "HKEY_CLASSES_ROOT";
    if (hRootKey == HKEY_USERS)
        return "HKEY_USERS";
    if (hRootKey == HKEY_CURRENT_CONFIG)
        return "HKEY_CURRENT_CONFIG";
    return nullptr;
}

// A folder below a root that files cannot name gets nothing written at all.
bool HasNoFileName(CRegkeyExtension& folder) noexcept
{
    return folder.GetRootKey() && !RootFullName(folder.GetRootKey());
}

bool WriteKeyNameLine(CRegkeyExtension& folder, CByteSink& file, const char* pszOpen)
{
    CString strName;
    if (!RegFileKeyName(folder.GetRootKey(), folder.GetKeyPath(), strName))
        return true;
    CString line = pszOpen;
    line += strName;
    line += "]\r\n";
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

bool WriteRegFileHeader(CByteSink& file) noexcept
{
    return file.Write(c_szHeader, sizeof(c_szHeader) - 1);
}

bool RegFileKeyName(HKEY hRootKey, const CString& strPath, CString& strName)
{
    const char* pszRoot = RootFullName(hRootKey);
    if (!pszRoot)
        return false;
    strName = pszRoot;
    strName += '\\';
    strName += strPath;
    return true;
}

void AppendValueLine(CString& line, const char* pszName, DWORD dwType, const BYTE* pData,
                     DWORD cbData)
{
    const size_t cchLineStart = line.size();
    AppendNamePart(line, pszName);
    line += '=';
    if (dwType == REG_SZ && IsPlainString(pData, cbData))
    {
        line += '"';
        AppendEscaped(line, reinterpret_cast<const char*>(pData), cbData - 1);
        line += '"';
    }
    else if (dwType == REG_DWORD && cbData == sizeof(DWORD))
    {
        DWORD dw = 0;
        std::memcpy(&dw, pData, sizeof(dw));
        line += "dword:";
        for (int nShift = 28; nShift >= 0; nShift -= 4)
            line += c_szHexDigits[(dw >> nShift) & 0xF];
    }
    else
    {
        AppendHexData(line, cchLineStart, dwType, pData, cbData);
    }
    line += c_szLineEnd;
}

bool WriteKeyLine(CRegkeyExtension& folder, CByteSink& file) noexcept
{
    try
    {
        return WriteKeyNameLine(folder, file, "[");
    }
    CATCH_RETURN(false)
}

bool WriteDeleteKeyLine(CRegkeyExtension& folder, CByteSink& file) noexcept
{
    if (folder.GetKeyPath().empty())
        return true;
    try
    {
        return WriteKeyNameLine(folder, file, "[-");
    }
    CATCH_RETURN(false)
}

bool WriteValueLine(CRegkeyExtension& folder, CByteSink& file, const REGITEM& item) noexcept
{
    try
    {
        const char* pszName = RegValueName(item);
        DWORD dwType = 0;
        std::vector<BYTE> data;
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

bool WriteDeleteValueLine(CByteSink& file, const REGITEM& item) noexcept
{
    try
    {
        CString line;
        AppendNamePart(line, RegValueName(item));
        line += "=-\r\n";
        return file.Write(line);
    }
    CATCH_RETURN(false)
}

bool WriteKeyTree(CRegkeyExtension& folder, CByteSink& file) noexcept
{
    try
    {
        if (!folder.GetRootKey())
            return WritePredefinedTrees(folder, file);
        CString strName;
        if (!RegFileKeyName(folder.GetRootKey(), folder.GetKeyPath(), strName))
            return true;
        return CKeyTreeWriter(file).Write(folder.GetOpenKey(), strName);
    }
    CATCH_RETURN(false)
}

bool WriteExportBody(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl, bool bInverse,
                     CByteSink& file) noexcept
{
    if (HasNoFileName(folder))
        return true;
    if (cidl == 0)
        return bInverse ? WriteDeleteKeyLine(folder, file) : WriteKeyTree(folder, file);
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
                if (!WriteKeyLine(folder, file))
                    return false;
                for (const REGITEM& item : values)
                {
                    if (!WriteValueLine(folder, file, item))
                        return false;
                }
                if (!file.Write(c_szLineEnd, 2))
                    return false;
            }
            for (const REGITEM& item : keys)
            {
                const CmdTargetPtr<CRegkeyExtension> pSubFolder = folder.GetKeySubFolder(item);
                if (pSubFolder && !WriteKeyTree(*pSubFolder, file))
                    return false;
            }
            return true;
        }

        if (bHasKeyLine && !values.empty())
        {
            if (!WriteKeyLine(folder, file))
                return false;
            for (const REGITEM& item : values)
            {
                if (!WriteDeleteValueLine(file, item))
                    return false;
            }
        }
        if (!file.Write(c_szLineEnd, 2))
            return false;
        for (const REGITEM& item : keys)
        {
            const CmdTargetPtr<CRegkeyExtension> pSubFolder = folder.GetKeySubFolder(item);
            if (pSubFolder && !WriteDeleteKeyLine(*pSubFolder, file))
                return false;
        }
        return true;
    }
    CATCH_RETURN(false)
}

} // namespace corvasin
