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

} // namespace corvasin
