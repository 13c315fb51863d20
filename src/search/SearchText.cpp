// The matching rules of the search: multi-byte aware upper-casing and substring search from the
// C library, every length bounded by the data's own.
#include "search/SearchText.h"

#include <mbstring.h>
#include <cstring>

namespace corvasin
{

CSearchText::CSearchText(const CString& strText, bool bIgnoreCase)
    : m_strText(bIgnoreCase ? UpperCase(strText.c_str(), strText.size()) : strText),
      m_bIgnoreCase(bIgnoreCase)
{
}

CString CSearchText::UpperCase(const char* pch, size_t cch)
{
    CString text(pch, strnlen(pch, cch));
    _mbsupr(reinterpret_cast<unsigned char*>(text.data()));
    return text;
}

bool CSearchText::IsSearchedType(DWORD dwType) noexcept
{
    switch (dwType)
    {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
    case REG_BINARY:
        return true;
    default:
        return false;
    }
}

bool CSearchText::MatchesText(const char* pch, size_t cch) const noexcept
{
    if (m_strText.empty())
        return true;
    if (!pch)
        return false;
    try
    {
        // A terminated copy: the candidate may be data that ends without a NUL.
        const CString candidate = m_bIgnoreCase ? UpperCase(pch, cch) : CString(pch, strnlen(pch, cch));
        return _mbsstr(reinterpret_cast<const unsigned char*>(candidate.c_str()),
                       reinterpret_cast<const unsigned char*>(m_strText.c_str())) != nullptr;
    }
    catch (...)
    {
        return false;
    }
}

bool CSearchText::MatchesData(DWORD dwType, const BYTE* pData, size_t cbData) const noexcept
{
    if (!pData && cbData != 0)
        return false;
    const auto* pch = reinterpret_cast<const char*>(pData);
    switch (dwType)
    {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return MatchesText(pch ? pch : "", cbData);
    case REG_MULTI_SZ:
        return MatchesMultiString(pch, cbData);
    case REG_BINARY:
        return MatchesBytes(pData, cbData);
    default:
        return false;
    }
}

bool CSearchText::MatchesMultiString(const char* pch, size_t cch) const noexcept
{
    size_t pos = 0;
    while (pos < cch)
    {
        const size_t cchString = strnlen(pch + pos, cch - pos);
        if (cchString == 0)
            return false; // the empty string that ends the list
        if (MatchesText(pch + pos, cchString))
            return true;
        pos += cchString + 1;
    }
    return false;
}

bool CSearchText::MatchesBytes(const BYTE* pData, size_t cbData) const noexcept
{
    const size_t cbText = m_strText.size();
    if (cbText == 0)
        return true;
    if (cbData < cbText)
        return false;
    const auto* pch = reinterpret_cast<const char*>(pData);
    for (size_t i = 0; i + cbText <= cbData; ++i)
    {
        // The text holds no NUL, so a NUL in the data differs from it either way; _strnicmp
        // stops there without reading on.
        const bool bEqual = m_bIgnoreCase ? _strnicmp(pch + i, m_strText.c_str(), cbText) == 0
                                          : memcmp(pch + i, m_strText.c_str(), cbText) == 0;
        if (bEqual)
            return true;
    }
    return false;
}

} // namespace corvasin
