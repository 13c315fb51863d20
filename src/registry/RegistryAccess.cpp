// Bounded registry reads.
#include "registry/RegistryAccess.h"
#include "core/Result.h"
#include "core/Strings.h"

#include <cstring>

namespace corvasin
{

namespace
{
LONG QueryValue(HKEY hKey, const char* pszName, DWORD* pdwType, BYTE* pData, DWORD* pcb) noexcept
{
    return ::RegQueryValueExA(hKey, pszName, nullptr, pdwType, pData, pcb);
}

LONG QueryValue(HKEY hKey, const wchar_t* pszName, DWORD* pdwType, BYTE* pData, DWORD* pcb) noexcept
{
    return ::RegQueryValueExW(hKey, pszName, nullptr, pdwType, pData, pcb);
}

// The type and data of a value by either form of its name (the ANSI form gives strings in the
// code page, the wide one the stored bytes). A value that grows between the size query and the
// read is read again at its new size, a few times at most.
template <typename Char>
bool ReadTypedValueOf(HKEY hKey, const Char* pszValueName, DWORD* pdwType,
                      std::vector<BYTE>& data) noexcept
{
    if (!hKey)
        return false;
    try
    {
        for (int nAttempt = 0; nAttempt < 4; ++nAttempt)
        {
            DWORD cb = 0;
            if (QueryValue(hKey, pszValueName, nullptr, nullptr, &cb) != ERROR_SUCCESS)
                return false;
            data.resize(cb);
            BYTE bNone = 0;
            DWORD cbRead = cb;
            const LONG lResult = QueryValue(hKey, pszValueName, pdwType,
                                            data.empty() ? &bNone : data.data(), &cbRead);
            if (lResult == ERROR_SUCCESS)
            {
                data.resize(cbRead < cb ? cbRead : cb);
                return true;
            }
            if (lResult != ERROR_MORE_DATA)
                return false;
        }
        return false;
    }
    CATCH_RETURN(false)
}
} // namespace

LSTATUS OpenRegKey(HKEY hParent, const char* pszSubkey, REGSAM sam, HKEY* phKey) noexcept
{
    return ::RegOpenKeyExA(hParent, pszSubkey, 0, sam | kRegistryView, phKey);
}

LSTATUS CreateRegKey(HKEY hParent, const char* pszSubkey, REGSAM sam, HKEY* phKey,
                     DWORD* pdwDisposition) noexcept
{
    return ::RegCreateKeyExA(hParent, pszSubkey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                             sam | kRegistryView, nullptr, phKey, pdwDisposition);
}

LSTATUS DeleteRegKey(HKEY hParent, const char* pszSubkey) noexcept
{
    return ::RegDeleteKeyExA(hParent, pszSubkey, kRegistryView, 0);
}

LSTATUS OpenRegKeyW(HKEY hParent, const wchar_t* pszSubkey, REGSAM sam, HKEY* phKey) noexcept
{
    return ::RegOpenKeyExW(hParent, pszSubkey, 0, sam | kRegistryView, phKey);
}

LSTATUS CreateRegKeyW(HKEY hParent, const wchar_t* pszSubkey, REGSAM sam, HKEY* phKey,
                      DWORD* pdwDisposition) noexcept
{
    return ::RegCreateKeyExW(hParent, pszSubkey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                             sam | kRegistryView, nullptr, phKey, pdwDisposition);
}

LSTATUS DeleteRegKeyW(HKEY hParent, const wchar_t* pszSubkey) noexcept
{
    return ::RegDeleteKeyExW(hParent, pszSubkey, kRegistryView, 0);
}

bool IsSameOrBelowRealPath(std::wstring_view outer, std::wstring_view inner) noexcept
{
    if (inner.size() < outer.size())
        return false;
    if (outer.empty())
        return true;
    if (::CompareStringOrdinal(inner.data(), static_cast<int>(outer.size()), outer.data(),
                               static_cast<int>(outer.size()), TRUE) != CSTR_EQUAL)
        return false;
    return inner.size() == outer.size() || inner[outer.size()] == L'\\';
}

bool ReadSubkeyNameW(HKEY hKey, DWORD dwIndex, std::wstring& name) noexcept
{
    if (!hKey)
        return false;
    wchar_t szName[kMaxKeyNameChars + 1];
    DWORD cch = kMaxKeyNameChars + 1;
    if (::RegEnumKeyExW(hKey, dwIndex, szName, &cch, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
        return false;
    try
    {
        name.assign(szName, cch <= kMaxKeyNameChars ? cch : kMaxKeyNameChars);
        return true;
    }
    CATCH_RETURN(false)
}

bool ReadValueNameW(HKEY hKey, DWORD dwIndex, std::wstring& name, DWORD* pdwType) noexcept
{
    if (!hKey)
        return false;
    try
    {
        // Most names fit a small buffer; only a long one takes the registry's whole limit.
        wchar_t szName[256];
        DWORD cch = 256;
        const LONG lResult =
            ::RegEnumValueW(hKey, dwIndex, szName, &cch, nullptr, pdwType, nullptr, nullptr);
        if (lResult == ERROR_SUCCESS)
        {
            name.assign(szName, cch < 256 ? cch : 255);
            return true;
        }
        if (lResult != ERROR_MORE_DATA)
            return false;
        std::vector<wchar_t> buffer(kMaxValueNameChars + 1);
        cch = kMaxValueNameChars + 1;
        if (::RegEnumValueW(hKey, dwIndex, buffer.data(), &cch, nullptr, pdwType, nullptr,
                            nullptr) != ERROR_SUCCESS)
            return false;
        name.assign(buffer.data(), cch <= kMaxValueNameChars ? cch : kMaxValueNameChars);
        return true;
    }
    CATCH_RETURN(false)
}

bool NameToItemText(const std::wstring& name, char* pszText, DWORD cbText, bool* pbLossy) noexcept
{
    if (!pszText || cbText == 0)
        return false;
    memset(pszText, 0, cbText);
    *pbLossy = false;
    if (name.empty())
        return true;
    if (name.size() > kMaxValueNameChars)
        return false;
    const int cchName = static_cast<int>(name.size());
    const int cb = ::WideCharToMultiByte(CP_ACP, 0, name.data(), cchName, pszText,
                                         static_cast<int>(cbText - 1), nullptr, nullptr);
    if (cb <= 0)
    {
        memset(pszText, 0, cbText);
        return false;
    }
    pszText[cb] = '\0';
    // Turned back, the text must give the name itself: a default character or a best fit (an
    // a with a macron written as a plain "a") both leave a text that names something else.
    wchar_t szBack[kMaxKeyNameChars + 1];
    std::vector<wchar_t> large;
    wchar_t* pBack = szBack;
    if (static_cast<size_t>(cb) > kMaxKeyNameChars)
    {
        try
        {
            large.resize(static_cast<size_t>(cb));
        }
        CATCH_RETURN(false)
        pBack = large.data();
    }
    const int cchBack = ::MultiByteToWideChar(CP_ACP, 0, pszText, cb, pBack, cb);
    *pbLossy = cchBack != cchName ||
               memcmp(pBack, name.data(), static_cast<size_t>(cchName) * sizeof(wchar_t)) != 0;
    return true;
}

bool ReadTypedValueW(HKEY hKey, const wchar_t* pszValueName, DWORD* pdwType,
                     std::vector<BYTE>& data) noexcept
{
    return ReadTypedValueOf(hKey, pszValueName, pdwType, data);
}

HRESULT WriteValueW(HKEY hKey, const wchar_t* pszValueName, DWORD dwType, const BYTE* pData,
                    DWORD cbData) noexcept
{
    if (!hKey)
        return HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
    return HrFromWin32(::RegSetValueExW(hKey, pszValueName, 0, dwType, pData, cbData));
}

bool ValueExistsW(HKEY hKey, const wchar_t* pszValueName) noexcept
{
    return hKey &&
           ::RegQueryValueExW(hKey, pszValueName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

HRESULT DeleteValueW(HKEY hKey, const wchar_t* pszValueName) noexcept
{
    if (!hKey)
        return HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
    return HrFromWin32(::RegDeleteValueW(hKey, pszValueName));
}

bool StringDataToCodePage(DWORD dwType, const std::vector<BYTE>& data, std::vector<BYTE>& text,
                          bool* pbLossy) noexcept
{
    *pbLossy = false;
    if (dwType != REG_SZ && dwType != REG_EXPAND_SZ && dwType != REG_MULTI_SZ)
        return false;
    try
    {
        const size_t cch = data.size() / sizeof(wchar_t);
        std::wstring wide(cch, L'\0');
        if (cch)
            memcpy(wide.data(), data.data(), cch * sizeof(wchar_t));
        text.clear();
        if (cch == 0)
            return true;
        const int cb = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(cch), nullptr,
                                             0, nullptr, nullptr);
        if (cb <= 0)
            return false;
        text.resize(static_cast<size_t>(cb));
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(cch),
                              reinterpret_cast<char*>(text.data()), cb, nullptr, nullptr);
        const std::wstring back = AnsiToWide(reinterpret_cast<const char*>(text.data()), cb);
        *pbLossy = back != wide;
        return true;
    }
    CATCH_RETURN(false)
}

bool ReadKeyCounts(HKEY hKey, DWORD* pcSubkeys, DWORD* pcValues) noexcept
{
    return hKey && ::RegQueryInfoKeyW(hKey, nullptr, nullptr, nullptr, pcSubkeys, nullptr, nullptr,
                                      pcValues, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool ReadSubkeyName(HKEY hKey, DWORD dwIndex, char* pszName, DWORD cchName) noexcept
{
    if (!hKey)
        return false;
    DWORD cch = cchName;
    return ::RegEnumKeyExA(hKey, dwIndex, pszName, &cch, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

bool ReadValueName(HKEY hKey, DWORD dwIndex, char* pszName, DWORD cchName, DWORD* pdwType) noexcept
{
    if (!hKey)
        return false;
    DWORD cch = cchName;
    return ::RegEnumValueA(hKey, dwIndex, pszName, &cch, nullptr, pdwType, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

namespace
{
// The size of a value's data, or false when it cannot be read.
bool ReadValueSize(HKEY hKey, const char* pszValueName, DWORD* pcbData) noexcept
{
    if (!hKey)
        return false;
    DWORD cb = 0;
    if (::RegQueryValueExA(hKey, pszValueName, nullptr, nullptr, nullptr, &cb) != ERROR_SUCCESS)
        return false;
    *pcbData = cb;
    return true;
}
} // namespace

bool ReadValueData(HKEY hKey, const char* pszValueName, std::vector<BYTE>& data) noexcept
{
    try
    {
        DWORD cb = 0;
        if (!ReadValueSize(hKey, pszValueName, &cb))
            return false;
        data.resize(cb);
        DWORD cbRead = cb;
        if (::RegQueryValueExA(hKey, pszValueName, nullptr, nullptr, data.empty() ? nullptr : data.data(),
                               &cbRead) != ERROR_SUCCESS)
            return false;
        // The value may have shrunk between the two calls; never more than the buffer.
        data.resize(cbRead < cb ? cbRead : cb);
        return true;
    }
    CATCH_RETURN(false)
}

bool ReadValueDataQuick(HKEY hKey, const char* pszValueName, BYTE* pBuffer, DWORD cbBuffer,
                        std::vector<BYTE>& large, const BYTE** ppData, DWORD* pcbData) noexcept
{
    if (!hKey)
        return false;
    DWORD cb = cbBuffer;
    const LONG lResult = ::RegQueryValueExA(hKey, pszValueName, nullptr, nullptr, pBuffer, &cb);
    if (lResult == ERROR_SUCCESS)
    {
        *ppData = pBuffer;
        *pcbData = cb <= cbBuffer ? cb : cbBuffer;
        return true;
    }
    if (lResult != ERROR_MORE_DATA || !ReadValueData(hKey, pszValueName, large))
        return false;
    *ppData = large.data();
    *pcbData = static_cast<DWORD>(large.size());
    return true;
}

bool ReadTypedValue(HKEY hKey, const char* pszValueName, DWORD* pdwType,
                    std::vector<BYTE>& data) noexcept
{
    return ReadTypedValueOf(hKey, pszValueName, pdwType, data);
}

bool WriteValue(HKEY hKey, const char* pszValueName, DWORD dwType, const BYTE* pData,
                DWORD cbData) noexcept
{
    return hKey && ::RegSetValueExA(hKey, pszValueName, 0, dwType, pData, cbData) == ERROR_SUCCESS;
}

} // namespace corvasin
