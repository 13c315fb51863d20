// Bounded registry reads.
#include "registry/RegistryAccess.h"
#include "core/Result.h"

namespace corvasin
{

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

bool ReadValueAt(HKEY hKey, DWORD dwIndex, char* pszName, DWORD cchName, DWORD* pdwType,
                 std::vector<BYTE>& buffer, DWORD* pcbData) noexcept
{
    if (!hKey)
        return false;
    try
    {
        // A value that keeps growing between the calls is given up after a few rounds.
        for (int nAttempt = 0; nAttempt < 4; ++nAttempt)
        {
            // A null data pointer would ask for the size only; an empty buffer still passes one.
            BYTE bNone = 0;
            DWORD cch = cchName;
            DWORD cb = static_cast<DWORD>(buffer.size());
            LONG lResult = ::RegEnumValueA(hKey, dwIndex, pszName, &cch, nullptr, pdwType,
                                           buffer.empty() ? &bNone : buffer.data(), &cb);
            if (lResult == ERROR_SUCCESS)
            {
                *pcbData = cb <= buffer.size() ? cb : static_cast<DWORD>(buffer.size());
                return true;
            }
            if (lResult != ERROR_MORE_DATA)
                return false;
            // The name or the data did not fit: the sizes alone tell which.
            cch = cchName;
            DWORD cbNeeded = 0;
            lResult = ::RegEnumValueA(hKey, dwIndex, pszName, &cch, nullptr, nullptr, nullptr,
                                      &cbNeeded);
            if (lResult != ERROR_SUCCESS)
                return false;
            if (cbNeeded > buffer.size())
                buffer.resize(cbNeeded);
        }
        return false;
    }
    CATCH_RETURN(false)
}

bool ReadTypedValue(HKEY hKey, const char* pszValueName, DWORD* pdwType,
                    std::vector<BYTE>& data) noexcept
{
    if (!hKey)
        return false;
    try
    {
        for (int nAttempt = 0; nAttempt < 4; ++nAttempt)
        {
            DWORD cb = 0;
            if (::RegQueryValueExA(hKey, pszValueName, nullptr, nullptr, nullptr, &cb) !=
                ERROR_SUCCESS)
                return false;
            data.resize(cb);
            BYTE bNone = 0;
            DWORD cbRead = cb;
            const LONG lResult = ::RegQueryValueExA(hKey, pszValueName, nullptr, pdwType,
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

bool WriteValue(HKEY hKey, const char* pszValueName, DWORD dwType, const BYTE* pData,
                DWORD cbData) noexcept
{
    return hKey && ::RegSetValueExA(hKey, pszValueName, 0, dwType, pData, cbData) == ERROR_SUCCESS;
}

} // namespace corvasin
