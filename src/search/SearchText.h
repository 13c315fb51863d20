// CSearchText: the search text and the rules by which names and value data match it. Pure: no
// registry, no windows, so the rules can be checked on their own.
#pragma once

#include "core/Strings.h"

#include <windows.h>

namespace corvasin
{

// Immutable after construction; safe to share between threads.
class CSearchText
{
public:
    // The text as typed; with bIgnoreCase it is kept upper-cased and candidates are
    // upper-cased before the comparison. May throw when out of memory.
    CSearchText(const CString& strText, bool bIgnoreCase);

    const CString& GetText() const noexcept { return m_strText; }
    bool IgnoresCase() const noexcept { return m_bIgnoreCase; }

    // Whether the search text occurs in the cch characters at pch (a name or one string; the
    // candidate ends at cch or at an earlier NUL). An empty search text matches everything.
    bool MatchesText(const char* pch, size_t cch) const noexcept;

    // Whether value data matches, by type: REG_SZ and REG_EXPAND_SZ as one text up to the
    // first NUL or the data's end; REG_MULTI_SZ string by string, up to the first empty string
    // and never past the data's end; REG_BINARY as bytes holding the text (single-byte case
    // folding when ignoring case; a NUL byte never matches); every other type never matches.
    bool MatchesData(DWORD dwType, const BYTE* pData, size_t cbData) const noexcept;

    // The types whose data is compared.
    static bool IsSearchedType(DWORD dwType) noexcept;

    // A copy of the characters, upper-cased in the multi-byte code page (so the trail bytes of
    // double-byte characters are left alone). May throw when out of memory.
    static CString UpperCase(const char* pch, size_t cch);

private:
    bool MatchesMultiString(const char* pch, size_t cch) const noexcept;
    bool MatchesBytes(const BYTE* pData, size_t cbData) const noexcept;

    CString m_strText;
    bool m_bIgnoreCase;
};

} // namespace corvasin
