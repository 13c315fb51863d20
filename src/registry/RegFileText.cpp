// The text of registration files: escaping, the string, dword and hexadecimal forms of data
// with their line wrapping, the names of keys in files, and the choice between the two forms.
#include "registry/RegFileText.h"

#include "core/Handles.h"
#include "core/Result.h"
#include "registry/PredefinedKeys.h"
#include "registry/RegistryAccess.h"

#include <cstring>
#include <string>
#include <vector>

namespace corvasin
{

namespace
{
constexpr char c_szHeader[] = "REGEDIT4\r\n\r\n"
                              ";Generated with Corvasin\r\n"
                              ";https://corvasin.example/\r\n"
                              "\r\n";
// The Unicode form's header, as UTF-8 for the UTF-16 sink: the byte order mark first.
constexpr char c_szUnicodeHeader[] = "\xEF\xBB\xBF"
                                     "Windows Registry Editor Version 5.00\r\n\r\n"
                                     ";Generated with Corvasin\r\n"
                                     ";https://corvasin.example/\r\n"
                                     "\r\n";
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

// The string form of UTF-16 data: one text, its terminating zero last, no line break in it.
bool IsPlainWideString(const BYTE* pData, DWORD cbData, std::wstring& text)
{
    if (cbData < sizeof(wchar_t) || cbData % sizeof(wchar_t) != 0)
        return false;
    text.assign(cbData / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), pData, cbData);
    if (text.back() != L'\0')
        return false;
    text.pop_back();
    return text.find_first_of(std::wstring(L"\0\r\n", 3)) == std::wstring::npos;
}

void AppendDword(CString& line, const BYTE* pData)
{
    DWORD dw = 0;
    std::memcpy(&dw, pData, sizeof(dw));
    line += "dword:";
    for (int nShift = 28; nShift >= 0; nShift -= 4)
        line += c_szHexDigits[(dw >> nShift) & 0xF];
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
    const PredefinedKey* pKey = FindPredefinedKey(hRootKey);
    return pKey && pKey->bNamedInFiles ? pKey->pszLongName : nullptr;
}

// The data part of a value line and its line end: the string form when a text is given (the
// caller found it plain), else the dword form or the bytes.
void AppendDataPart(CString& line, size_t cchLineStart, DWORD dwType, const char* pszText,
                    size_t cchText, const BYTE* pData, DWORD cbData)
{
    if (pszText)
    {
        line += '"';
        AppendEscaped(line, pszText, cchText);
        line += '"';
    }
    else if (dwType == REG_DWORD && cbData == sizeof(DWORD))
    {
        AppendDword(line, pData);
    }
    else
    {
        AppendHexData(line, cchLineStart, dwType, pData, cbData);
    }
    line += c_szRegFileLineEnd;
}
} // namespace

bool WriteRegFileHeader(CByteSink& file) noexcept
{
    return file.Write(c_szHeader, sizeof(c_szHeader) - 1);
}

bool WriteUnicodeRegFileHeader(CByteSink& file) noexcept
{
    return file.Write(c_szUnicodeHeader, sizeof(c_szUnicodeHeader) - 1);
}

bool IsRegFileRoot(HKEY hRootKey) noexcept
{
    return RootFullName(hRootKey) != nullptr;
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

void AppendKeyLine(CString& line, const CString& strKeyName, bool bDelete)
{
    line += bDelete ? "[-" : "[";
    line += strKeyName;
    line += "]\r\n";
}

void AppendValueLine(CString& line, const char* pszName, DWORD dwType, const BYTE* pData,
                     DWORD cbData)
{
    const size_t cchLineStart = line.size();
    AppendNamePart(line, pszName);
    line += '=';
    const bool bText = dwType == REG_SZ && IsPlainString(pData, cbData);
    AppendDataPart(line, cchLineStart, dwType, bText ? reinterpret_cast<const char*>(pData) : nullptr,
                   bText ? cbData - 1 : 0, pData, cbData);
}

void AppendDeleteValueLine(CString& line, const char* pszName)
{
    AppendNamePart(line, pszName);
    line += "=-\r\n";
}

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int cb = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    if (cb <= 0)
        return {};
    std::string out(static_cast<size_t>(cb), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), cb,
                          nullptr, nullptr);
    return out;
}

void AppendValueLineUnicode(CString& line, const wchar_t* pszName, DWORD dwType,
                            const BYTE* pData, DWORD cbData)
{
    const size_t cchLineStart = line.size();
    AppendNamePart(line, pszName ? ToUtf8(pszName).c_str() : nullptr);
    line += '=';
    // Every type but plain text and dwords is written as the bytes stored, strings in UTF-16 as
    // the form says.
    std::wstring text;
    const bool bText = dwType == REG_SZ && IsPlainWideString(pData, cbData, text);
    const std::string utf8 = bText ? ToUtf8(text) : std::string();
    AppendDataPart(line, cchLineStart, dwType, bText ? utf8.c_str() : nullptr, utf8.size(), pData,
                   cbData);
}

bool RegFileKeyNameUnicode(HKEY hRootKey, const std::wstring& realPath, CString& strName)
{
    const char* pszRoot = RootFullName(hRootKey);
    if (!pszRoot)
        return false;
    strName = pszRoot;
    strName += '\\';
    strName += ToUtf8(realPath);
    return true;
}

void AppendDeleteValueLineUnicode(CString& line, const wchar_t* pszName)
{
    AppendDeleteValueLine(line, pszName ? ToUtf8(pszName).c_str() : nullptr);
}

bool NameNeedsUnicode(const std::wstring& name) noexcept
{
    try
    {
        return AnsiToWide(WideToAnsi(name.c_str(), static_cast<int>(name.size())).c_str()) != name;
    }
    CATCH_RETURN(true)
}

bool ValueNeedsUnicode(HKEY hKey, const wchar_t* pszName) noexcept
{
    try
    {
        if (pszName && NameNeedsUnicode(pszName))
            return true;
        DWORD dwType = REG_NONE;
        std::vector<BYTE> data;
        std::vector<BYTE> text;
        bool bLossy = false;
        return ReadTypedValueW(hKey, pszName, &dwType, data) &&
               StringDataToCodePage(dwType, data, text, &bLossy) && bLossy;
    }
    CATCH_RETURN(true)
}

bool KeyTreeNeedsUnicode(HKEY hKey, unsigned nDepth) noexcept
{
    if (!hKey || nDepth > kMaxKeyDepth)
        return false;
    try
    {
        DWORD cSubkeys = 0;
        DWORD cValues = 0;
        if (!ReadKeyCounts(hKey, &cSubkeys, &cValues))
            return false;
        std::wstring name;
        for (DWORD i = 0; i < cValues; ++i)
        {
            if (ReadValueNameW(hKey, i, name) && ValueNeedsUnicode(hKey, name.c_str()))
                return true;
        }
        for (DWORD i = 0; i < cSubkeys; ++i)
        {
            if (!ReadSubkeyNameW(hKey, i, name))
                continue;
            if (NameNeedsUnicode(name))
                return true;
            UniqueHkey subkey;
            if (OpenRegKeyW(hKey, name.c_str(), KEY_READ, subkey.put()) == ERROR_SUCCESS &&
                KeyTreeNeedsUnicode(subkey.get(), nDepth + 1))
                return true;
        }
        return false;
    }
    CATCH_RETURN(true)
}

} // namespace corvasin
