// Splitting and converting location text.
#include "registry/LocationText.h"

#include <windows.h>
#include <cstring>
#include <cwchar>

namespace corvasin
{

size_t LocationPrefixLength(const wchar_t* pszText, bool bLongPrefixIgnoresCase) noexcept
{
    if (!pszText)
        return 0;
    const bool bLong = bLongPrefixIgnoresCase ? _wcsnicmp(pszText, L"reg://", 6) == 0
                                              : wcsncmp(pszText, L"reg://", 6) == 0;
    if (bLong)
        return 6;
    if (wcsncmp(pszText, L"reg:", 4) == 0)
        return 4;
    return 0;
}

LocationComponent SplitLocation(const wchar_t* pszText)
{
    LocationComponent result;
    if (!pszText)
        return result;
    const wchar_t* pszSeparator = wcschr(pszText, L'\\');
    if (!pszSeparator)
        pszSeparator = wcschr(pszText, L'/');
    if (!pszSeparator)
    {
        result.first = pszText;
        return result;
    }
    result.first.assign(pszText, pszSeparator);
    if (pszSeparator[1] != L'\0')
        result.pszRest = pszSeparator + 1;
    return result;
}

bool KeyComponentToName(const std::wstring& component, char* pszName, size_t cbName) noexcept
{
    if (!pszName || cbName == 0)
        return false;
    memset(pszName, 0, cbName);
    if (!component.empty())
    {
        const int cb = ::WideCharToMultiByte(CP_ACP, 0, component.c_str(),
                                             static_cast<int>(component.size()), pszName,
                                             static_cast<int>(cbName - 1), nullptr, nullptr);
        if (cb <= 0)
        {
            memset(pszName, 0, cbName);
            return false;
        }
        pszName[cb] = '\0';
    }
    if (char* pszColon = strchr(pszName, ':'))
        *pszColon = '\0';
    // "%20" stands for a blank, as a URL writes it.
    char* pszWrite = pszName;
    for (const char* pszRead = pszName; *pszRead;)
    {
        if (strncmp(pszRead, "%20", 3) == 0)
        {
            *pszWrite++ = ' ';
            pszRead += 3;
        }
        else
        {
            *pszWrite++ = *pszRead++;
        }
    }
    *pszWrite = '\0';
    return true;
}

} // namespace corvasin
