// Cutting a registration file into lines. Every index stays below the length the caller gave;
// each byte is looked at a bounded number of times, whatever the length of its line.
#include "registry/RegFileLines.h"

#include <climits>
#include <cstring>
#include <new>

namespace corvasin
{

CRegFileLines::CRegFileLines(const BYTE* pData, size_t cb) noexcept
    : m_pData(pData), m_cb(pData ? cb : 0)
{
    if (m_cb >= 2 && m_pData[0] == 0xFF && m_pData[1] == 0xFE)
    {
        m_encoding = RegFileEncoding::Utf16Le;
        m_ib = 2;
        if ((m_cb - m_ib) % 2 != 0)
        {
            m_bStrayByte = true;
            --m_cb;
        }
    }
    else if (m_cb >= 2 && m_pData[0] == 0xFE && m_pData[1] == 0xFF)
    {
        m_encoding = RegFileEncoding::Utf16Be;
    }
    else if (m_cb >= 3 && m_pData[0] == 0xEF && m_pData[1] == 0xBB && m_pData[2] == 0xBF)
    {
        m_encoding = RegFileEncoding::Utf8;
    }
}

wchar_t CRegFileLines::WideAt(size_t ib) const noexcept
{
    // The caller's bytes need not be aligned for wide characters.
    wchar_t ch;
    std::memcpy(&ch, m_pData + ib, sizeof(ch));
    return ch;
}

bool CRegFileLines::Next(std::wstring& line)
{
    line.clear();
    m_bLoneCr = false;
    m_bZero = false;
    const bool bWide = m_encoding == RegFileEncoding::Utf16Le;
    if ((!bWide && m_encoding != RegFileEncoding::Ansi) || m_ib >= m_cb)
        return false;
    ++m_nLine;

    const size_t cbUnit = bWide ? sizeof(wchar_t) : 1;
    auto unitAt = [&](size_t ib) -> wchar_t { return bWide ? WideAt(ib) : m_pData[ib]; };
    const size_t ibStart = m_ib;
    size_t ib = ibStart;
    wchar_t ch = 0;
    for (; ib < m_cb; ib += cbUnit)
    {
        ch = unitAt(ib);
        if (ch == L'\r' || ch == L'\n')
            break;
        if (ch == 0)
            m_bZero = true;
    }
    const size_t cbLine = ib - ibStart;
    if (ib >= m_cb)
        m_ib = m_cb;
    else if (ch == L'\n')
        m_ib = ib + cbUnit;
    else if (ib + cbUnit < m_cb && unitAt(ib + cbUnit) == L'\n')
        m_ib = ib + 2 * cbUnit;
    else
    {
        m_bLoneCr = true;
        m_ib = ib + cbUnit;
    }

    if (cbLine == 0)
        return true;
    if (bWide)
    {
        line.resize(cbLine / sizeof(wchar_t));
        std::memcpy(line.data(), m_pData + ibStart, cbLine);
        return true;
    }
    // The registry editor turns each line into wide text on its own, through the ANSI code page,
    // before it looks at any character: a double-byte character's second byte is never a
    // backslash or a quote.
    if (cbLine > INT_MAX)
        throw std::bad_alloc();
    const auto* psz = reinterpret_cast<const char*>(m_pData + ibStart);
    const int cch = ::MultiByteToWideChar(CP_ACP, 0, psz, static_cast<int>(cbLine), nullptr, 0);
    if (cch <= 0)
        throw std::bad_alloc();
    line.resize(static_cast<size_t>(cch));
    ::MultiByteToWideChar(CP_ACP, 0, psz, static_cast<int>(cbLine), line.data(), cch);
    return true;
}

} // namespace corvasin
