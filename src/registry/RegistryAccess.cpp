// Bounded registry reads.
#include "registry/RegistryAccess.h"
#include "core/Result.h"

namespace corvasin
{

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
            if (!ReadValueSize(hKey, pszValueName, &cb))
                return false;
            data.resize(cb);
            DWORD cbRead = cb;
            const LONG lResult = ::RegQueryValueExA(hKey, pszValueName, nullptr, pdwType,
                                                    data.empty() ? nullptr : data.data(), &cbRead);
            if (lResult == ERROR_MORE_DATA)
                continue; // it grew: ask for the size again
            if (lResult != ERROR_SUCCESS)
                return false;
            data.resize(cbRead < cb ? cbRead : cb);
            return true;
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
