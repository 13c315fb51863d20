// Code page conversions; failures yield empty strings, never exceptions.
#include "core/Strings.h"
#include "core/Result.h"

#include <objbase.h>

namespace corvasin
{

std::wstring AnsiToWide(const char* psz, int cch) noexcept
{
    try
    {
        if (!psz || cch == 0)
            return {};
        const int cchWide = ::MultiByteToWideChar(CP_ACP, 0, psz, cch, nullptr, 0);
        if (cchWide <= 0)
            return {};
        std::wstring result(static_cast<size_t>(cchWide), L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, psz, cch, result.data(), cchWide);
        if (cch < 0 && !result.empty())
            result.pop_back(); // the terminating zero was converted too
        return result;
    }
    CATCH_RETURN(std::wstring())
}

CString WideToAnsi(const wchar_t* psz, int cch) noexcept
{
    try
    {
        if (!psz || cch == 0)
            return {};
        const int cb = ::WideCharToMultiByte(CP_ACP, 0, psz, cch, nullptr, 0, nullptr, nullptr);
        if (cb <= 0)
            return {};
        CString result(static_cast<size_t>(cb), '\0');
        ::WideCharToMultiByte(CP_ACP, 0, psz, cch, result.data(), cb, nullptr, nullptr);
        if (cch < 0 && !result.empty())
            result.pop_back();
        return result;
    }
    CATCH_RETURN(CString())
}

LPWSTR CoTaskMemWideString(const CString& text) noexcept
{
    const std::wstring wide = AnsiToWide(text.c_str(), static_cast<int>(text.size() + 1));
    // wide holds the terminating zero as its last character here
    const size_t cch = wide.empty() ? 1 : wide.size();
    auto* psz = static_cast<LPWSTR>(::CoTaskMemAlloc(cch * sizeof(WCHAR)));
    if (!psz)
        return nullptr;
    if (wide.empty())
        psz[0] = L'\0';
    else
        memcpy(psz, wide.data(), cch * sizeof(WCHAR));
    psz[cch - 1] = L'\0';
    return psz;
}

} // namespace corvasin
